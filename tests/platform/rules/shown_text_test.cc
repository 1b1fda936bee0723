#include "platform/rules/shown_text.h"

#include <gtest/gtest.h>

#include <vector>

#include "fakes/fake_code_page.h"

namespace rolvex {
namespace {

TEST(ShownTextTest, ControlsAreEscapedAndLinesKept) {
  EXPECT_EQ(EscapeControls("a\tb\nc\x1B[2J\x7F"), "a\tb\nc^[[2J^?");
  // U+009B (CSI) and U+0085 (NEL) are controls too; U+00A0 is not.
  EXPECT_EQ(EscapeControls("\xC2\x9B\xC2\x85\xC2\xA0"), "M-^[M-^E\xC2\xA0");
  // Each line is decoded on its own: a Latin-1 line leaves a UTF-8 one be.
  EXPECT_EQ(ShownText(FakeCodePage(), "gr\xFC\xDF\n\xC3\xA4\n"),
            "gr\xC3\xBC\xC3\x9F\n\xC3\xA4\n");
}

TEST(ShownTextTest, Utf8IsCheckedAndCutByCharacter) {
  EXPECT_TRUE(IsValidUtf8("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"));
  for (const char* bad : {"\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                          "\xF4\x90\x80\x80", "\xE4nd"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  }
  EXPECT_EQ(Utf8Bounds("a\xC3\xA4\xE2\x82\xAC"),
            (std::vector<std::size_t>{0, 1, 3, 6}));
  EXPECT_EQ(Utf8Bounds(""), (std::vector<std::size_t>{0}));
  EXPECT_EQ(ByteBounds("ab"), (std::vector<std::size_t>{0, 1, 2}));
}

}  // namespace
}  // namespace rolvex
