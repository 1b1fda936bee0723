#include "platform/rules/directory_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rolvex {
namespace {

using List = std::vector<std::string>;

TEST(NtfsOrderTest, SortsAsNtfsLists) {
  List names = {"zeta", "_u", "beta", "B.TXT",    "Alpha", "a.txt",
                "9",    "10", "..",   "$WinDir$", "."};
  SortNtfs(names);
  EXPECT_EQ(names, (List{".", "..", "$WinDir$", "10", "9", "a.txt", "Alpha",
                         "B.TXT", "beta", "zeta", "_u"}));
  // Names equal but for case still have a fixed order.
  EXPECT_TRUE(NtfsNameLess("README", "readme"));
  EXPECT_FALSE(NtfsNameLess("readme", "README"));
  names = {"x", "..", "readme", "$", ".", "README"};
  SortNtfs(names);
  EXPECT_EQ(names, (List{".", "..", "$", "README", "readme", "x"}));
}

TEST(WildcardTest, DosRulesForDotsAndQuestionMarks) {
  EXPECT_TRUE(WildcardMatches("*.*", "noextension"));
  EXPECT_TRUE(WildcardMatches("readme.*", "README"));
  EXPECT_TRUE(WildcardMatches("*.", "noextension"));
  EXPECT_FALSE(WildcardMatches("*.", "a.b"));
  EXPECT_TRUE(WildcardMatches("file?.txt", "file.txt"));
  EXPECT_TRUE(WildcardMatches("ab??", "ab"));
  EXPECT_FALSE(WildcardMatches("a?c", "ac"));
  EXPECT_TRUE(WildcardMatches("*a*b*c*", "xxaxxbxxcxx"));
  EXPECT_FALSE(WildcardMatches("*.ini", "a.ini.bak"));
  // Many stars against a long name: must stay quick.
  EXPECT_FALSE(
      WildcardMatches(std::string(200, '*') + "x", std::string(5000, 'a')));
}

}  // namespace
}  // namespace rolvex
