#include "reporting/progress_bar.h"

#include <gtest/gtest.h>

#include "fakes/fake_parts.h"
#include "fakes/fake_settings.h"
#include "fakes/recording_window.h"
#include "platform/run_error.h"
#include "reporting/log_only_file_system.h"

namespace rolvex {
namespace {

using reporting_testing::LogOnlyFileSystem;

class BalkenTest : public ::testing::Test {
 protected:
  RecordingControl& Frame() { return window.rec(ControlId::kBalkenPicture); }
  RecordingControl& Fill() { return window.rec(ControlId::kBalkenShape); }

  MemoryProfileStore profiles;
  FakeEnvironment environment;
  LogOnlyFileSystem files;  // the bar writes no log
  RecordingWindow window;   // frame 3600 twips wide, fill 15
  FakeParts spare;
  ReportingState state{spare.With(profiles, environment, files, window)};
};

TEST_F(BalkenTest, FourEntriesFillAQuarterHalfThreeQuartersAndAll) {
  const float expected[] = {900, 1800, 2700, 3600};
  for (int i = 1; i <= 4; ++i) {
    Balken(state, i, 4, "Taste_Click.Installation.StandardKopieren");
    EXPECT_EQ(Fill().width, expected[i - 1]) << "entry " << i;
  }
}

TEST_F(BalkenTest, SingleEntryFillsTheWholeScaledFrame) {
  Frame().width = 2805;  // the frame as scaled for 800 pixels
  Balken(state, 1, 1, "x");
  EXPECT_EQ(Fill().width, 2805);
}

TEST_F(BalkenTest, FractionsAreKeptInSinglePrecision) {
  Frame().width = 1000;
  Balken(state, 1, 3, "x");
  EXPECT_EQ(Fill().width, 333.33334f);
  Balken(state, 2, 3, "x");
  EXPECT_EQ(Fill().width, 666.6667f);
}

TEST_F(BalkenTest, OnlyTheFillsWidthChanges) {
  Frame().visible = true;
  Fill().left = 0;
  Fill().top = 0;
  Fill().height = 495;
  Balken(state, 3, 7, "x");
  EXPECT_TRUE(Frame().visible);
  EXPECT_EQ(Frame().width, 3600);
  EXPECT_EQ(Fill().left, 0);
  EXPECT_EQ(Fill().top, 0);
  EXPECT_EQ(Fill().height, 495);
  EXPECT_EQ(window.do_events_count, 0);
  EXPECT_TRUE(files.lines.empty());
}

TEST_F(BalkenTest, ZeroTotalIsReportedToTheCallerAndKeepsTheFill) {
  Balken(state, 1, 2, "x");
  try {
    Balken(state, 0, 0, "x");
    FAIL() << "a total of 0 must not pass silently";
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), 11);
    EXPECT_EQ(error.description(), "Division by zero");
  }
  EXPECT_EQ(Fill().width, 1800);
}

}  // namespace
}  // namespace rolvex
