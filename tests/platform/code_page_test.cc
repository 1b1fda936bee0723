// The PC's code page as each build reads it; the build's own test file
// supplies NativeCodePage().
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/rules/shown_text.h"

namespace rolvex {

const CodePage& NativeCodePage();

namespace {

// „Wartung“ kostet 5 € — in Windows-1252, where Latin-1 reads C1 controls.
const std::string k1252 = "\x84Wartung\x93 kostet 5 \x80";
const std::string kUtf8 =
    "\xE2\x80\x9EWartung\xE2\x80\x9C kostet 5 \xE2\x82\xAC";

TEST(CodePageTest, ReadsWindows1252AndShowsNoControlRaw) {
  const CodePage& page = NativeCodePage();
  EXPECT_EQ(page.ToUtf8(k1252), kUtf8);
  EXPECT_EQ(page.ToUtf8("Unver\xE4ndert"), "Unver\xC3\xA4ndert");
  EXPECT_EQ(page.ToUtf8(""), "");
  // A title sequence and a screen clear in an ini value reach the terminal
  // as text.
  const std::string shown = ShownText(page,
                                      "V=\x1B]0;owned\x07\x1B[2J\x9B"
                                      "1m\r");
  EXPECT_EQ(shown.find('\x1B'), std::string::npos);
  EXPECT_EQ(shown.find('\x07'), std::string::npos);
  EXPECT_EQ(shown.find('\r'), std::string::npos);
  EXPECT_NE(shown.find("^[]0;owned^G^[[2J"), std::string::npos);
  EXPECT_EQ(page.CharacterBounds(k1252).size(), k1252.size() + 1);
}

}  // namespace
}  // namespace rolvex
