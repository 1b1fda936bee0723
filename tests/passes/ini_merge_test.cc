#include "passes/ini_merge.h"

#include <gtest/gtest.h>

namespace rolvex {
namespace {

// Feeds items and returns, after each, the entry that would be written
// ("" when none).
std::vector<std::string> Writes(const std::vector<std::string>& items) {
  IniMergeState state;
  std::vector<std::string> writes;
  for (const std::string& item : items) {
    ClassifyIniItem(state, item);
    writes.push_back(state.ShouldWrite()
                         ? state.section + "|" + state.key + "|" + state.value
                         : "");
  }
  return writes;
}

TEST(IniMergeTest, SectionLinesNeedTheClosingBracketAtTheThirdCharacter) {
  EXPECT_EQ(Writes({"[ A ]", "k=v"}),
            (std::vector<std::string>{"", " A |k|v"}));
  EXPECT_EQ(Writes({"[S]", "[]", "k=v"}),
            (std::vector<std::string>{"", "", "S|k|v"}));
  EXPECT_EQ(Writes({"[S] trailing", "k=v"}),
            (std::vector<std::string>{"", "S|k|v"}));
  // A "[" that is not first, or a "]" before the "[", is no section line.
  EXPECT_EQ(Writes({"[S]", "x[T]=1", "]x[T]"}),
            (std::vector<std::string>{"", "S|x[T]|1", "S|x[T]|1"}));
}

TEST(IniMergeTest, NothingIsWrittenBeforeTheFirstSection) {
  EXPECT_EQ(Writes({"k=v", "[S]"}), (std::vector<std::string>{"", ""}));
}

TEST(IniMergeTest, KeyAndValueSplitAtTheFirstEqualsWithoutTrimming) {
  EXPECT_EQ(
      Writes({"[S]", "A=B=C", "Speed = 100", ";Note=x"}),
      (std::vector<std::string>{"", "S|A|B=C", "S|Speed | 100", "S|;Note|x"}));
}

TEST(IniMergeTest, AnItemWithoutEqualsRepeatsTheLastEntry) {
  // Pos=10,20 arrives as two items; the comment repeats the entry too.
  EXPECT_EQ(Writes({"[S]", "Pos=10", "20", "; comment"}),
            (std::vector<std::string>{"", "S|Pos|10", "S|Pos|10", "S|Pos|10"}));
}

TEST(IniMergeTest, AnEmptyKeyOrValueWritesNothingAndEndsTheRepetition) {
  EXPECT_EQ(Writes({"[S]", "a=1", "Key=", "x", "=Value", "y"}),
            (std::vector<std::string>{"", "S|a|1", "", "", "", ""}));
}

TEST(IniMergeTest, ASectionLineEmptiesKeyAndValue) {
  EXPECT_EQ(Writes({"[S]", "a=1", "[T]", "x"}),
            (std::vector<std::string>{"", "S|a|1", "", ""}));
}

}  // namespace
}  // namespace rolvex
