#include "platform/rules/directory_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system.h"

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
  // The whole sort agrees with the comparison, also for prefixes and bytes
  // beyond ASCII.
  names = {"ab", "AB", "a", "aB\xe4", "a\xc4", "Ab", "ab.", "\xe4", "_", ".."};
  List expected = names;
  std::sort(expected.begin(), expected.end(), NtfsNameLess);
  SortNtfs(names);
  EXPECT_EQ(names, expected);
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

TEST(PassesMaskTest, EveryHidingBitMustBeAskedFor) {
  const int hidden_folder = kAttrDirectory | kAttrHidden;
  const int system_folder = kAttrDirectory | kAttrSystem;
  // Read-only and archive never keep an entry out.
  for (int mask : {0, 15, 16, 31}) {
    EXPECT_TRUE(PassesMask(kAttrNormal, mask)) << mask;
    EXPECT_TRUE(PassesMask(kAttrReadOnly | kAttrArchive, mask)) << mask;
  }
  EXPECT_FALSE(PassesMask(kAttrHidden, 0));
  EXPECT_TRUE(PassesMask(kAttrHidden | kAttrReadOnly, 15));
  EXPECT_TRUE(PassesMask(kAttrSystem, 15));
  EXPECT_FALSE(PassesMask(kAttrHidden | kAttrSystem, kAttrHidden));
  EXPECT_FALSE(PassesMask(kAttrDirectory, 15));
  EXPECT_FALSE(PassesMask(hidden_folder, 15));
  EXPECT_TRUE(PassesMask(kAttrDirectory | kAttrReadOnly, 16));
  EXPECT_FALSE(PassesMask(hidden_folder, 16));
  EXPECT_FALSE(PassesMask(system_folder, 16));
  EXPECT_FALSE(PassesMask(kAttrHidden, 16));
  EXPECT_TRUE(PassesMask(hidden_folder, 18));
  EXPECT_FALSE(PassesMask(hidden_folder | kAttrSystem, 18));
  EXPECT_TRUE(PassesMask(hidden_folder | kAttrSystem | kAttrArchive, 31));
}

}  // namespace
}  // namespace rolvex
