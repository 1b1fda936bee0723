#include "reporting/text_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/fake_parts.h"
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
  FakeParts spare;
  ReportingState state{spare.With(profiles, environment, files, window)};
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

  // Characters are dropped whole: "ä" takes two bytes in UTF-8.
  std::string umlauts;
  for (int i = 0; i < 40; ++i) umlauts += "\xC3\xA4";
  TextAusgabe(state, umlauts, false, "x");
  EXPECT_EQ(state.status_lines.back(), umlauts.substr(0, 32) + "...");
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

// Measures as the native window does: the widest of the text's lines, each
// character as wide as its table entry, and counts the measurements.
class LineMeasuringWindow : public RecordingWindow {
 public:
  float TextWidth(const std::string& text) override {
    ++measurements;
    float widest = 0, line = 0;
    for (char c : text) {
      if (c == '\n') {
        line = 0;
        continue;
      }
      line += c == '.' ? 40 : c == 'i' ? 30 : c == 'W' ? 190 : 100;
      widest = std::max(widest, line);
    }
    return widest;
  }
  long measurements = 0;
};

// The fitting rule spelt out: drop the last character until the text with
// the dots is no wider than the label, at the latest at the empty text.
std::string FitOneByOne(Window& window, std::string text) {
  const float label = window.control(ControlId::kFrageLabel).Width();
  if (!(window.TextWidth(text) > label)) return text;
  while (!text.empty() && window.TextWidth(text + "...") > label) {
    text.pop_back();
  }
  return text + "...";
}

TEST(TextAusgabeFittingTest, SameLineAsDroppingOneCharacterAtATime) {
  MemoryProfileStore profiles;
  FakeEnvironment environment;
  LogOnlyFileSystem files;
  LineMeasuringWindow window;
  FakeParts spare;
  ReportingState state{spare.With(profiles, environment, files, window)};

  // A line break lets a shorter beginning be wider than a longer one: the
  // 35 characters of the first line and the dots do not fit, the first line
  // with the line break and the dots does.
  const std::string two_lines =
      std::string(35, 'a') + "\n" + std::string(50, 'b');
  std::vector<std::string> messages = {
      two_lines, "Description:\r\n" + std::string(80, 'W')};
  std::mt19937 random(7);
  const std::string alphabet = "aiW.\n ";
  for (int i = 0; i < 400; ++i) {
    std::string text(random() % 90, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    messages.push_back(text);
  }
  for (float width : {3600.0f, 2250.0f, 150.0f, 100.0f, 0.0f}) {
    window.rec(ControlId::kFrageLabel).width = width;
    for (const std::string& text : messages) {
      TextAusgabe(state, text, false, "x");
      ASSERT_EQ(state.status_lines.back(), FitOneByOne(window, text))
          << "label " << width << " text " << text;
    }
  }
  window.rec(ControlId::kFrageLabel).width = 3600;
  TextAusgabe(state, two_lines, false, "x");
  EXPECT_EQ(state.status_lines.back(),
            two_lines.substr(0, 35 + 1 + 34) + "...");
}

TEST(TextAusgabeFittingTest, LongErrorTextIsFittedWithFewMeasurements) {
  MemoryProfileStore profiles;
  FakeEnvironment environment;
  LogOnlyFileSystem files;
  LineMeasuringWindow window;
  FakeParts spare;
  ReportingState state{spare.With(profiles, environment, files, window)};

  state.log_file_path = "C:\\QueltServicePack.log";
  const std::string message = "Error: " + std::string(100000, 'e');
  TextAusgabe(state, message, false, "x");
  EXPECT_EQ(state.status_lines.back(), message.substr(0, 34) + "...");
  // Not one measurement of a long text per dropped character.
  EXPECT_LT(window.measurements, 100);
  ASSERT_EQ(files.lines.size(), 1u);
  EXPECT_EQ(files.lines.back().text, message);
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
