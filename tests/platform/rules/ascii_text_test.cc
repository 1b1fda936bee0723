#include "platform/rules/ascii_text.h"

#include <gtest/gtest.h>

#include <clocale>

namespace rolvex {
namespace {

TEST(AsciiTextTest, OnlyAsciiLettersHaveACaseWhateverTheLocale) {
  // A Latin-1 locale would upper-case 0xE4 (a-umlaut) to 0xC4; Windows
  // names compare those bytes as they are.
  std::setlocale(LC_ALL, "de_DE.ISO-8859-1");
  EXPECT_EQ(AsciiUpperCase("c:\\b\xE4r_z"), "C:\\B\xE4R_Z");
  EXPECT_EQ(AsciiLowerCase("C:\\B\xC4R"), "c:\\b\xC4r");
  std::setlocale(LC_ALL, "C");
  EXPECT_TRUE(AsciiEqualsIgnoringCase("Rolvex.INI", "rolvex.ini"));
  EXPECT_FALSE(AsciiEqualsIgnoringCase("\xE4", "\xC4"));
  EXPECT_FALSE(AsciiEqualsIgnoringCase("ab", "abc"));
}

TEST(AsciiTextTest, ComparesByUpperCasedBytes) {
  EXPECT_LT(AsciiCompareIgnoringCase("zeta", "_u"), 0);  // 'Z' < '_'
  EXPECT_LT(AsciiCompareIgnoringCase("10", "9"), 0);
  EXPECT_LT(AsciiCompareIgnoringCase("ab", "ABC"), 0);
  EXPECT_EQ(AsciiCompareIgnoringCase("ReadMe", "README"), 0);
  EXPECT_GT(AsciiCompareIgnoringCase("\xE4", "z"), 0);  // bytes unsigned
}

}  // namespace
}  // namespace rolvex
