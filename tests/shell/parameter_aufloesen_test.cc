// The command-line split and the mode it selects.
#include "shell/parameter_aufloesen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "shell/startup.h"
#include "shell/startup_rig.h"

namespace rolvex {
namespace {

using startup_testing::StartupRig;

struct SplitCase {
  std::string text;
  std::vector<std::string> words;
};

class ParameterAufloesenTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ParameterAufloesenTest, SplitsAtBlanksOnly) {
  StartupRig rig;
  std::string text = GetParam().text;
  ParameterAufloesen(rig.installer, text, "Form_Load");

  const auto& expected = GetParam().words;
  ASSERT_EQ(rig.installer.arg_count, static_cast<int>(expected.size()));
  for (size_t i = 0; i < rig.installer.command_args.size(); ++i) {
    EXPECT_EQ(rig.installer.command_args[i],
              i < expected.size() ? expected[i] : "")
        << "entry " << i + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Words, ParameterAufloesenTest,
    ::testing::Values(
        SplitCase{"", {}}, SplitCase{"     ", {}}, SplitCase{"1", {"1"}},
        SplitCase{" 2 ", {"2"}}, SplitCase{"1 x", {"1", "x"}},
        SplitCase{"1  2", {"1", "2"}},
        SplitCase{"   a    b   c  ", {"a", "b", "c"}},
        SplitCase{"1\tx", {"1\tx"}}, SplitCase{"\t1\t", {"\t1\t"}},
        SplitCase{"\"1\"", {"\"1\""}}, SplitCase{"\"1 2\"", {"\"1", "2\""}},
        SplitCase{"01", {"01"}}, SplitCase{"1x", {"1x"}}));

TEST(ParameterAufloesenLimitTest, WordsAfterTheTwentiethAreDropped) {
  StartupRig rig;
  std::string text;
  for (int i = 1; i <= 25; ++i) text += "w" + std::to_string(i) + " ";
  ParameterAufloesen(rig.installer, text, "Form_Load");

  EXPECT_EQ(rig.installer.arg_count, 20);
  EXPECT_EQ(rig.installer.command_args[0], "w1");
  EXPECT_EQ(rig.installer.command_args[19], "w20");
}

TEST(ParameterAufloesenLimitTest, MillionWordsSplitWithoutDelay) {
  // A command line of a few megabytes, as a POSIX shell can pass one.
  StartupRig rig;
  std::string text = "1";
  for (int i = 0; i < 1'000'000; ++i) text += " w";
  text += "   end  ";
  const auto start = std::chrono::steady_clock::now();
  ParameterAufloesen(rig.installer, text, "Form_Load");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(rig.installer.arg_count, 20);
  EXPECT_EQ(rig.installer.command_args[0], "1");
  EXPECT_EQ(rig.installer.command_args[19], "w");
  EXPECT_EQ(text, "end");  // what is left after the last blank
}

TEST(ParameterAufloesenLimitTest, ASecondSplitStartsAfresh) {
  StartupRig rig;
  std::string first = "a b c";
  ParameterAufloesen(rig.installer, first, "Form_Load");
  std::string second = "2";
  ParameterAufloesen(rig.installer, second, "Form_Load");

  EXPECT_EQ(rig.installer.arg_count, 1);
  EXPECT_EQ(rig.installer.command_args[0], "2");
  EXPECT_EQ(rig.installer.command_args[1], "");
}

enum class Mode { kPanel, kUnattended, kInteractive };

struct ModeCase {
  std::string command_line;
  Mode mode;
};

void PrintTo(const ModeCase& c, std::ostream* os) {
  *os << "command line [" << c.command_line << "]";
}

class ModeTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ModeTest, FirstWordSelectsTheMode) {
  StartupRig rig;
  rig.window.command_line = GetParam().command_line;
  const std::optional<int> ended = rig.Load();

  const Mode mode = GetParam().mode;
  // The unattended modes run the installation, which ends the program.
  EXPECT_EQ(ended.has_value(), mode != Mode::kInteractive);
  EXPECT_EQ(rig.window.topmost.has_value(), mode == Mode::kPanel);
  EXPECT_EQ(rig.rec(ControlId::kHinterGrund).visible, mode != Mode::kPanel);
  EXPECT_EQ(rig.rec(ControlId::kLabel1).visible, mode != Mode::kPanel);
  EXPECT_EQ(rig.rec(ControlId::kTaste0).visible, mode == Mode::kInteractive);
  EXPECT_EQ(rig.rec(ControlId::kTaste1).visible, mode == Mode::kInteractive);
  EXPECT_TRUE(rig.window.shown);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ModeTest,
    ::testing::Values(
        ModeCase{"1", Mode::kPanel}, ModeCase{"1 x", Mode::kPanel},
        ModeCase{"  1  2", Mode::kPanel}, ModeCase{"2", Mode::kUnattended},
        ModeCase{" 2 ", Mode::kUnattended}, ModeCase{"", Mode::kInteractive},
        ModeCase{"   ", Mode::kInteractive}, ModeCase{"01", Mode::kInteractive},
        ModeCase{"A", Mode::kInteractive}, ModeCase{"1x", Mode::kInteractive},
        ModeCase{"1\tx", Mode::kInteractive},
        ModeCase{"\"1\"", Mode::kInteractive},
        ModeCase{"3", Mode::kInteractive}));

TEST(ModeLimitTest, TwentyFiveWordsStillStart) {
  StartupRig rig;
  std::string text = "2";
  for (int i = 2; i <= 25; ++i) text += " w" + std::to_string(i);
  rig.window.command_line = text;
  EXPECT_TRUE(rig.Load().has_value());
  EXPECT_TRUE(rig.window.shown);
  EXPECT_FALSE(rig.rec(ControlId::kTaste0).visible);
}

}  // namespace
}  // namespace rolvex
