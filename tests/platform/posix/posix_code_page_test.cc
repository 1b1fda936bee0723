#include "platform/posix/posix_code_page.h"

#include <gtest/gtest.h>

#include "platform/posix/posix_pc_code_page_names.h"

namespace rolvex {

const CodePage& NativeCodePage() {
  static const PosixCodePage page("", "UTF-8");
  return page;
}

namespace {

TEST(PosixCodePageTest, Utf8StaysAndOnePageCanBeNamed) {
  const PosixCodePage rule("", "");
  EXPECT_EQ(rule.ToUtf8("\xC3\xA4"), "\xC3\xA4");
  // The bytes Windows-1252 leaves undefined read as Windows reads them.
  EXPECT_EQ(rule.ToUtf8("\x81\x8D"), "\xC2\x81\xC2\x8D");
  EXPECT_EQ(rule.CharacterBounds("a\xC3\xA4"),
            (std::vector<std::size_t>{0, 1, 3}));

  // CP850 (a DOS code page): 0x84 is "ä" there, not the low quote.
  const PosixCodePage dos("CP850", "");
  ASSERT_TRUE(dos.known());
  EXPECT_EQ(dos.ToUtf8("\x84"), "\xC3\xA4");
  const PosixCodePage utf8("utf-8", "");
  EXPECT_EQ(utf8.ToUtf8("\xE4"), "\xEF\xBF\xBD");
  EXPECT_FALSE(PosixCodePage("NO-SUCH-PAGE", "").known());
  const PosixCodePage sjis("SHIFT_JIS", "");
  EXPECT_EQ(sjis.CharacterBounds("\x82\xA0"
                                 "a"),
            (std::vector<std::size_t>{0, 2, 3}));

  // A terminal that shows only ASCII gets "?" (or a transliteration), never
  // a broken sequence.
  const PosixCodePage ascii("", "ANSI_X3.4-1968");
  for (const char c : ascii.ToTerminal("\xE2\x82\xAC \xE4\xB8\x80")) {
    EXPECT_LT(static_cast<unsigned char>(c), 0x80);
  }
}

// Names the code page has exactly; no best fit, no stand-in.
TEST(PosixCodePageTest, NamesThePcCodePageHasExactly) {
  const struct {
    const char* code_page;
    const char* name;
    bool names;
  } cases[] = {
      {"WINDOWS-1252",
       "Stra\xC3\x9F"
       "e \xE2\x82\xAC.txt",
       true},                                   // ß €
      {"WINDOWS-1252", "\xCE\xB1.txt", false},  // α
      {"WINDOWS-1252", "\xC4\x8D", false},      // č: "c" would be a best fit
      {"WINDOWS-1252", "\xC3", false},          // no UTF-8
      {"CP437", "\xE2\x82\xAC", false},         // €
      {"UTF-8", "\xCE\xB1", true},
      {"NO-SUCH-PAGE", "a", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CodePageNames(c.code_page, c.name), c.names)
        << c.code_page << " " << c.name;
  }
}

}  // namespace
}  // namespace rolvex
