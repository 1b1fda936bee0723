#include "reporting/text_output.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/fake_settings.h"
#include "fakes/recording_window.h"
#include "platform/run_error.h"
#include "reporting/log_only_file_system.h"

namespace rolvex {
namespace {

using reporting_testing::LogOnlyFileSystem;

class TextAusgabeTest : public ::testing::Test {
 protected:
  TextAusgabeTest() { state.log_file_path = "C:\\QueltServicePack.log"; }

  std::string Caption() { return window.rec(ControlId::kFrageLabel).caption; }
  std::vector<std::string> Logged() {
    std::vector<std::string> texts;
    for (const auto& line : files.lines) texts.push_back(line.text);
    return texts;
  }

  MemoryProfileStore profiles;
  FakeEnvironment environment;
  LogOnlyFileSystem files;
  RecordingWindow window;  // 100 twips a character, label 3600 twips wide
  ReportingState state{profiles, environment, files, window};
};

TEST_F(TextAusgabeTest, EveryMessageIsLoggedUnchangedShownOrNot) {
  TextAusgabe(state, "Copy C:\\a.dll", false, "Taste_Click");
  TextAusgabe(state, "only for the log", true, "Taste_Click");
  TextAusgabe(state, "", false, "Taste_Click");
  const std::string very_long(500, 'x');
  TextAusgabe(state, very_long, false, "Taste_Click");

  ASSERT_EQ(files.lines.size(), 4u);
  for (const auto& line : files.lines) {
    EXPECT_EQ(line.path, "C:\\QueltServicePack.log");
  }
  EXPECT_EQ(Logged(),
            (std::vector<std::string>{"Copy C:\\a.dll", "only for the log", "",
                                      very_long}));
}

TEST_F(TextAusgabeTest, LogOnlyLeavesTheWindowAloneAndProcessesNoEvents) {
  TextAusgabe(state, "shown", false, "Form_Load");
  const std::string caption = Caption();
  const int events = window.do_events_count;
  const auto lines = state.status_lines;
  window.QueueClick(0);
  bool clicked = false;
  window.SetClickHandler([&](int) { clicked = true; });

  TextAusgabe(state, "hidden", true, "Form_Load");

  EXPECT_EQ(Caption(), caption);
  EXPECT_EQ(state.status_lines, lines);
  EXPECT_EQ(window.do_events_count, events);
  EXPECT_FALSE(clicked);
}

TEST_F(TextAusgabeTest, ShownMessageProcessesEventsOnceAfterTheCaption) {
  std::string caption_seen_by_click;
  window.SetClickHandler([&](int) { caption_seen_by_click = Caption(); });
  window.QueueClick(1);

  TextAusgabe(state, "one", false, "Taste_Click");

  EXPECT_EQ(window.do_events_count, 1);
  EXPECT_EQ(caption_seen_by_click, std::string(7, '\n') + "one");
}

TEST_F(TextAusgabeTest, EightLinesNewestAtTheBottomJoinedByLineFeedsOnly) {
  TextAusgabe(state, "first", false, "x");
  EXPECT_EQ(Caption(), "\n\n\n\n\n\n\nfirst");

  for (int i = 2; i <= 9; ++i) {
    TextAusgabe(state, std::to_string(i), false, "x");
  }
  EXPECT_EQ(Caption(), "2\n3\n4\n5\n6\n7\n8\n9");
  EXPECT_EQ(Caption().find('\r'), std::string::npos);

  TextAusgabe(state, "", false, "x");
  EXPECT_EQ(Caption(), "3\n4\n5\n6\n7\n8\n9\n");
  EXPECT_EQ(state.status_lines.back(), "");
}

TEST_F(TextAusgabeTest, TextAsWideAsTheLabelStaysAndOneWiderIsShortened) {
  const std::string fits(36, 'a');  // 3600 twips: exactly the label's width
  TextAusgabe(state, fits, false, "x");
  EXPECT_EQ(state.status_lines.back(), fits);

  const std::string message = "0123456789012345678901234567890123456";  // 37
  TextAusgabe(state, message, false, "x");
  // The longest beginning that fits with the dots: 33 + 3 characters.
  EXPECT_EQ(state.status_lines.back(), message.substr(0, 33) + "...");
  EXPECT_EQ(files.lines.back().text, message);
}

TEST_F(TextAusgabeTest, FittingFollowsTheLabelsCurrentWidth) {
  window.rec(ControlId::kFrageLabel).width = 4500;  // as scaled at 1280 px
  const std::string message(60, 'm');
  TextAusgabe(state, message, false, "x");
  EXPECT_EQ(state.status_lines.back(), std::string(42, 'm') + "...");

  window.rec(ControlId::kFrageLabel).width = 4550;  // 45.5 characters
  TextAusgabe(state, std::string(45, 'n'), false, "x");
  EXPECT_EQ(state.status_lines.back(), std::string(45, 'n'));
}

TEST_F(TextAusgabeTest, LabelNarrowerThanTheDotsStillEnds) {
  window.rec(ControlId::kFrageLabel).width = 250;
  TextAusgabe(state, "Register C:\\Windows\\System32\\x.dll", false, "x");
  EXPECT_EQ(state.status_lines.back(), "...");

  window.rec(ControlId::kFrageLabel).width = 0;
  TextAusgabe(state, "a", false, "x");
  EXPECT_EQ(state.status_lines.back(), "...");
  // An empty message is never wider than anything.
  TextAusgabe(state, "", false, "x");
  EXPECT_EQ(state.status_lines.back(), "");
}

TEST_F(TextAusgabeTest, LogFailuresAreSwallowedAndTheMessageIsStillShown) {
  const std::vector<std::function<void()>> failures = {
      [] { throw RunError::Of(kErrPathNotFound); },
      [] { throw RunError::Of(kErrPermissionDenied); },
      [] { throw std::runtime_error("disk full"); },
      [] { throw 42; },
  };
  int n = 0;
  for (const auto& failure : failures) {
    files.fail_with = failure;
    const std::string text = "message " + std::to_string(++n);
    EXPECT_NO_THROW(TextAusgabe(state, text, false, "x"));
    EXPECT_EQ(state.status_lines.back(), text);
    EXPECT_NO_THROW(TextAusgabe(state, "log only", true, "x"));
    EXPECT_NO_THROW(LogAusgabe(state, "direct", "x"));
  }
  EXPECT_TRUE(files.lines.empty());
  EXPECT_EQ(window.do_events_count, 4);
}

TEST_F(TextAusgabeTest, EmptyLogPathWritesNothingButShows) {
  state.log_file_path.clear();  // before start-up has resolved the log path
  TextAusgabe(state, "early", false, "Form_Load");
  EXPECT_TRUE(files.lines.empty());
  EXPECT_EQ(state.status_lines.back(), "early");
}

}  // namespace
}  // namespace rolvex
