#include "passes/guarded_copy.h"

#include <gtest/gtest.h>

#include "fakes/installer_rig.h"
#include "platform/run_error.h"
#include "reporting/run_report.h"

namespace rolvex {
namespace {

constexpr char kSource[] = "C:\\SP\\Standard\\a.dll";
constexpr char kTarget[] = "C:\\Tools\\a.dll";
constexpr char kSystemTarget[] = "C:\\Windows\\sYsTeM32\\a.dll";

class GuardedCopyTest : public ::testing::Test {
 protected:
  GuardedCopyTest() {
    rig.memory.AddFile(kSource, "new", 2000);
    rig.memory.AddFile(kTarget, "old", 1000).locked = true;
    rig.memory.AddFile(kSystemTarget, "old", 1000);
  }
  std::string TargetContent(const char* path = kTarget) {
    return rig.memory.Find(path)->content;
  }
  InstallerRig rig;
};

TEST_F(GuardedCopyTest, ACopyThatWorksNeitherWaitsNorLogs) {
  rig.memory.Find(kTarget)->locked = false;
  ExFileCopy(rig.state, kSource, kTarget, "P");
  EXPECT_EQ(TargetContent(), "new");
  EXPECT_TRUE(rig.clock.sleeps.empty());
  EXPECT_TRUE(rig.Log().empty());
}

TEST_F(GuardedCopyTest, ALockedFileIsRetriedFiveTimesThenLoggedAndAsked) {
  rig.window.answers = {kAnswerIgnore};
  ExFileCopy(rig.state, kSource, kTarget, "P");

  EXPECT_EQ(rig.clock.sleeps, std::vector<int>(5, 100));
  EXPECT_EQ(rig.state.auto_retry_count, 5);
  EXPECT_EQ(rig.Log(), std::vector<std::string>{
                           "Fehler Number:70; Description:Permission denied "
                           "'C:\\SP\\Standard\\a.dll' -> 'C:\\Tools\\a.dll'; "
                           "Source:Rolvex"});
  ASSERT_EQ(rig.window.message_boxes.size(), 1u);
  const RecordedMessageBox& box = rig.window.message_boxes[0];
  EXPECT_EQ(box.text,
            "Fehler Number:70; Description:Permission denied\r\n\r\n"
            "'C:\\SP\\Standard\\a.dll' -> 'C:\\Tools\\a.dll'\r\n\r\n"
            "Source:Rolvex");
  EXPECT_EQ(box.style, kMbAbortRetryIgnoreCritical);
  EXPECT_EQ(box.title, "");
  // Ignored: the file stays, and the run must not end as a clean one.
  EXPECT_EQ(TargetContent(), "old");
  EXPECT_EQ(rig.state.run_report.failures(), 1);
  // Nothing is shown in the status label.
  EXPECT_EQ(rig.window.rec(ControlId::kFrageLabel).caption, "");
}

TEST_F(GuardedCopyTest, RetryTriesOnceMoreAndAsksAgainAtOnceWhenItFails) {
  rig.window.answers = {kAnswerRetry, kAnswerRetry, kAnswerIgnore};
  ExFileCopy(rig.state, kSource, kTarget, "P");
  EXPECT_EQ(rig.clock.sleeps.size(), 5u);  // no new pauses after a Retry
  EXPECT_EQ(rig.window.message_boxes.size(), 3u);
  EXPECT_EQ(rig.Log().size(), 3u);
}

TEST_F(GuardedCopyTest, RetryAfterTheCauseIsGoneCopiesAndCountsNoFailure) {
  rig.memory.Find(kTarget)->locked = false;
  rig.files.Fail("FileCopy", kTarget, kErrPermissionDenied, 6);
  rig.window.answers = {kAnswerRetry};
  ExFileCopy(rig.state, kSource, kTarget, "P");
  EXPECT_EQ(TargetContent(), "new");
  EXPECT_EQ(rig.window.message_boxes.size(), 1u);
  EXPECT_EQ(rig.state.run_report.failures(), 0);
}

TEST_F(GuardedCopyTest, ASilentRetryThatSucceedsLeavesNoTrace) {
  rig.memory.Find(kTarget)->locked = false;
  rig.files.Fail("FileCopy", kTarget, kErrPermissionDenied, 2);
  ExFileCopy(rig.state, kSource, kTarget, "P");
  EXPECT_EQ(TargetContent(), "new");
  EXPECT_EQ(rig.clock.sleeps.size(), 2u);
  EXPECT_TRUE(rig.window.message_boxes.empty());
  EXPECT_TRUE(rig.Log().empty());
}

TEST_F(GuardedCopyTest, TheRunsRetryBudgetIsSharedAndSpentOnce) {
  rig.memory.AddFile("C:\\Tools\\b.txt").locked = true;
  // 19 failing calls spend 95 retries; the 20th gets only 5 more; after
  // that every failure asks at once, attribute changes included.
  for (int call = 0; call < 20; ++call) {
    ExFileCopy(rig.state, kSource, kTarget, "P");
  }
  EXPECT_EQ(rig.state.auto_retry_count, 100);
  EXPECT_EQ(rig.clock.sleeps.size(), 100u);

  ExSetAttr(rig.state, "C:\\missing.txt", 0, "P");
  ExFileCopy(rig.state, kSource, kTarget, "P");
  EXPECT_EQ(rig.clock.sleeps.size(), 100u);
  EXPECT_EQ(rig.window.message_boxes.size(), 22u);
}

TEST_F(GuardedCopyTest, AbortSetsTheLatchLogsText29AndEndsTheProgram) {
  rig.window.answers = {kAnswerAbort};
  try {
    ExFileCopy(rig.state, kSource, kTarget, "P");
    FAIL() << "the program did not end";
  } catch (const ProgramEnded& end) {
    EXPECT_EQ(end.exit_status, kExitAborted);
  }
  EXPECT_TRUE(rig.state.cancel_sp);
  EXPECT_EQ(rig.profiles.Get("C:\\ServicePack.ini", "General", "CancelSP"),
            "True");
  EXPECT_EQ(rig.Log().back(), "Abbruch");
}

TEST_F(GuardedCopyTest, AfterTheCancelNeitherProcedureTouchesAFile) {
  rig.state.cancel_sp = true;
  rig.memory.calls.clear();
  ExFileCopy(rig.state, kSource, kTarget, "P");
  ExFileCopy(rig.state, kSource, kSystemTarget, "P");
  ExSetAttr(rig.state, kTarget, 0, "P");
  EXPECT_TRUE(rig.memory.calls.empty());
  EXPECT_TRUE(rig.restarts.requests.empty());
}

TEST_F(GuardedCopyTest, ASetAttrFailureUsesText30AndNoBlankBeforeTheQuote) {
  ExSetAttr(rig.state, "C:\\missing.txt", 0, "P");
  EXPECT_EQ(rig.clock.sleeps.size(), 5u);
  EXPECT_EQ(rig.Log(),
            std::vector<std::string>{"Attribut Number:53; Description:File not "
                                     "found'C:\\missing.txt'; Source:Rolvex"});
  ASSERT_EQ(rig.window.message_boxes.size(), 1u);
  EXPECT_EQ(rig.window.message_boxes[0].text,
            "Attribut Number:53; Description:File not found\r\n\r\n"
            "'C:\\missing.txt'\r\n\r\nSource:Rolvex");
}

TEST_F(GuardedCopyTest, ALockedSystemFileIsReplacedAtTheNextRestart) {
  rig.memory.Find(kSystemTarget)->locked = true;
  ExFileCopy(rig.state, kSource, kSystemTarget, "P");

  EXPECT_TRUE(rig.clock.sleeps.empty());
  EXPECT_TRUE(rig.window.message_boxes.empty());
  EXPECT_EQ(rig.Log(), std::vector<std::string>{
                           "Kopie System32 C:\\SP\\Standard\\a.dll -> "
                           "C:\\Windows\\sYsTeM32\\a.dll"});
  // The replacement comes from a copy beside the target (a rename at the
  // restart cannot cross volumes); the pack keeps its own file.
  ASSERT_EQ(rig.restarts.requests.size(), 1u);
  const std::string staged = rig.restarts.requests[0].source;
  EXPECT_EQ(staged.rfind("C:\\Windows\\sYsTeM32\\", 0), 0u) << staged;
  ASSERT_NE(rig.memory.Find(staged), nullptr);
  EXPECT_EQ(rig.memory.Find(staged)->content, "new");
  EXPECT_TRUE(rig.memory.Exists(kSource));
  EXPECT_EQ(rig.restarts.requests[0].target, kSystemTarget);
  EXPECT_TRUE(rig.state.run_report.restart_required());
  EXPECT_EQ(rig.state.run_report.failures(), 0);
}

TEST_F(GuardedCopyTest, ASystemFileThatIsFreeIsSimplyCopied) {
  ExFileCopy(rig.state, kSource, kSystemTarget, "P");
  EXPECT_EQ(TargetContent(kSystemTarget), "new");
  EXPECT_TRUE(rig.restarts.requests.empty());
  EXPECT_FALSE(rig.state.run_report.restart_required());
}

TEST_F(GuardedCopyTest, AFolderNamedSystem32WithoutBackslashIsNoSystemFolder) {
  // "System32x\" and a file named System32.dll do not count.
  rig.memory.AddFile("C:\\System32.dll").locked = true;
  ExFileCopy(rig.state, kSource, "C:\\System32.dll", "P");
  EXPECT_EQ(rig.clock.sleeps.size(), 5u);
  EXPECT_TRUE(rig.restarts.requests.empty());
}

TEST_F(GuardedCopyTest, AReplacementThatCannotBeRequestedIsLoggedAsAFault) {
  rig.memory.Find(kSystemTarget)->locked = true;
  rig.restarts.throw_number = kErrCantRun;
  ExFileCopy(rig.state, kSource, kSystemTarget, "P");
  ASSERT_EQ(rig.Log().size(), 2u);
  EXPECT_EQ(rig.Log()[1],
            "Fault MoveFileEx File:C:\\Windows\\sYsTeM32\\a.dll Err.Nr.453 "
            "Can't find DLL entry point");
  EXPECT_FALSE(rig.state.run_report.restart_required());
  EXPECT_EQ(rig.state.run_report.failures(), 1);
}

TEST_F(GuardedCopyTest, ARefusedReplacementIsNotLoggedButFailsTheRun) {
  rig.memory.Find(kSystemTarget)->locked = true;
  rig.restarts.result = false;
  ExFileCopy(rig.state, kSource, kSystemTarget, "P");
  EXPECT_EQ(rig.Log().size(), 1u);
  EXPECT_FALSE(rig.state.run_report.restart_required());
  EXPECT_EQ(rig.state.run_report.failures(), 1);
  // The staged copy nothing will take in is gone again.
  EXPECT_EQ(rig.memory.calls.back().rfind("Kill C:\\Windows\\sYsTeM32\\", 0),
            0u);
}

TEST_F(GuardedCopyTest, ACopyThatCannotBeStagedIsLoggedAsAFault) {
  rig.memory.Find(kSystemTarget)->locked = true;
  rig.files.Fail("StageForRestart", kSystemTarget, kErrDiskFull);
  ExFileCopy(rig.state, kSource, kSystemTarget, "P");
  ASSERT_EQ(rig.Log().size(), 2u);
  EXPECT_EQ(rig.Log()[1].rfind("Fault MoveFileEx File:", 0), 0u);
  EXPECT_TRUE(rig.restarts.requests.empty());
  EXPECT_EQ(rig.state.run_report.failures(), 1);
}

// Nobody to answer (an agent's run on a desktop nobody sees): the question
// is answered Ignore without waiting, never Abort, and the report says so.
TEST_F(GuardedCopyTest, NobodyToAnswerIsIgnoreAndNeverSetsTheLatch) {
  RunReport& report = rig.state.run_report;
  report.BeginPass("Standard");
  report.BeginEntry();
  rig.window.SetUnattended();
  ExFileCopy(rig.state, kSource, kTarget, "P");
  EXPECT_EQ(rig.window.message_boxes.size(), 1u);
  EXPECT_FALSE(rig.state.cancel_sp);
  EXPECT_FALSE(rig.profiles.Has("C:\\ServicePack.ini", "General", "CancelSP"));
  EXPECT_EQ(rig.state.run_report.failures(), 1);
  ASSERT_EQ(report.entries().size(), 1u);
  EXPECT_EQ(report.entries()[0].outcome, ReportOutcome::kIgnored);
  EXPECT_TRUE(report.entries()[0].answered_automatically);
}

}  // namespace
}  // namespace rolvex
