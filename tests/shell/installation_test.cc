#include "shell/installation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "fakes/installer_rig.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

class InstallationTest : public ::testing::Test {
 protected:
  InstallationTest() {
    rig.window.SetClickHandler(
        [this](int index) { Taste_Click(rig.installer, index); });
  }
  // Clicks a button; returns the exit status when the program ended.
  std::optional<int> Click(int index) {
    try {
      rig.window.Click(index);
      return std::nullopt;
    } catch (const ProgramEnded& end) {
      return end.exit_status;
    }
  }
  int CountInLog(const std::string& line) {
    const std::vector<std::string> log = rig.Log();
    return static_cast<int>(std::count(log.begin(), log.end(), line));
  }
  InstallerRig rig;
};

TEST_F(InstallationTest, TheExitButtonBeforeAStartTouchesNothing) {
  rig.memory.AddFile("C:\\SP\\Standard\\a.txt");
  EXPECT_EQ(Click(1), kExitByExitButton);
  EXPECT_TRUE(rig.Log().empty());
  EXPECT_FALSE(rig.memory.Exists("C:\\a.txt"));
}

TEST_F(InstallationTest, OtherButtonIndicesDoNothing) {
  EXPECT_EQ(Click(7), std::nullopt);
  EXPECT_EQ(Click(-1), std::nullopt);
  EXPECT_TRUE(rig.Log().empty());
}

TEST_F(InstallationTest, TheStartButtonRunsTheThreePassesInOrderAndEnds) {
  rig.memory.AddFile("C:\\SP\\Standard\\a.txt", "a", 1);
  rig.memory.AddFile("C:\\SP\\Register\\r.dll", "r", 1);
  rig.memory.AddFile("C:\\SP\\Ini\\i.ini", "[A]\r\n", 1);
  EXPECT_EQ(Click(0), kExitCompleted);
  EXPECT_EQ(
      rig.Log(),
      (std::vector<std::string>{
          "Standard!", "Kopie C:\\SP\\Standard\\a.txt T1 -> C:\\a.txt",
          "Register!", "Komp C:\\r.dll",
          "Kopie C:\\SP\\Register\\r.dll T1 -> C:\\r.dll", "Komp C:\\r.dll",
          "Ini!", "Kopie C:\\SP\\Ini\\i.ini C:\\i.ini"}));
  // The announcements are shown, not only logged.
  EXPECT_NE(rig.window.rec(ControlId::kFrageLabel)
                .caption.find("Standard!\nRegister!\nIni!"),
            std::string::npos);
  // No VisiWin registration without VWStudio.
  EXPECT_EQ(rig.processes.started.size(), 2u);
}

TEST_F(InstallationTest, VWStudioRegistersTheToolLibraryLast) {
  rig.installer.vw_studio = true;
  rig.SetParameter("VisiWinDir", "C:\\Program Files\\VisiWin");
  EXPECT_EQ(Click(0), kExitCompleted);
  EXPECT_EQ(rig.processes.started,
            std::vector<std::string>{
                "RegSvr32 /s C:\\Program Files\\VisiWin\\VisiWinStudio\\"
                "System\\VWSTool.dll"});
  EXPECT_EQ(rig.Log().back(), "Ini!");
}

TEST_F(InstallationTest, ARunStartedByStartUpEndsTheSameWay) {
  try {
    Installation(rig.installer, "Form_Load");
    FAIL() << "the run returned";
  } catch (const ProgramEnded& end) {
    EXPECT_EQ(end.exit_status, kExitCompleted);
  }
}

TEST_F(InstallationTest, TheExitStatusTellsFailuresAndPendingRestarts) {
  // A locked system file: replaced at the next restart.
  rig.memory.AddFile("C:\\SP\\Standard\\$WinDir$\\System32\\k.dll", "k", 9);
  rig.memory.AddFile("C:\\Windows\\System32\\k.dll", "old", 1).locked = true;
  EXPECT_EQ(Click(0), kExitRestartScheduled);
}

TEST_F(InstallationTest, AFailureOutweighsAPendingRestart) {
  rig.memory.AddFile("C:\\SP\\Standard\\$WinDir$\\System32\\k.dll", "k", 9);
  rig.memory.AddFile("C:\\Windows\\System32\\k.dll", "old", 1).locked = true;
  rig.memory.AddFile("C:\\SP\\Standard\\Missing\\Deeper\\x.txt", "x", 1);
  rig.files.Fail("MkDir", "Deeper", kErrPathNotFound);
  EXPECT_EQ(Click(0), kExitCompletedWithFailures);
  EXPECT_TRUE(rig.installer.run_report.restart_required());
}

TEST_F(InstallationTest, AFailedListingIsReportedAndTheNextPassesRun) {
  rig.memory.AddFile("C:\\SP\\Standard\\a.txt");
  rig.memory.AddFile("C:\\SP\\Ini\\i.ini", "", 1);
  rig.files.Fail("GetAttr", "Standard\\a.txt", kErrPermissionDenied);
  EXPECT_EQ(Click(0), kExitCompletedWithFailures);
  const std::string report =
      "Fehler Number:70; Description:Permission denied 'C:\\SP\\Standard'; "
      "Source:FaultyFileSystem";
  EXPECT_EQ(rig.Log()[1], report);
  EXPECT_EQ(rig.Log()[2], "Register!");
  EXPECT_TRUE(rig.memory.Exists("C:\\i.ini"));
  EXPECT_NE(rig.window.rec(ControlId::kFrageLabel).caption.find(report),
            std::string::npos);
}

TEST_F(InstallationTest, TheExitButtonDuringAPassEndsTheProgramThere) {
  rig.memory.AddFile("C:\\SP\\Register\\a.dll", "a", 1);
  rig.memory.AddFile("C:\\SP\\Register\\b.dll", "b", 1);
  rig.processes.on_wait = [&](const std::string& command) {
    if (command == "RegSvr32 /s C:\\a.dll") rig.window.QueueClick(1);
  };
  EXPECT_EQ(Click(0), kExitByExitButton);
  EXPECT_TRUE(rig.memory.Exists("C:\\a.dll"));  // what was done stays
  EXPECT_FALSE(rig.memory.Exists("C:\\b.dll"));
  EXPECT_EQ(CountInLog("Ini!"), 0);
}

TEST_F(InstallationTest, ASecondStartClickDuringTheRunIsIgnored) {
  rig.memory.AddFile("C:\\SP\\Register\\a.dll", "a", 1);
  rig.processes.on_wait = [&](const std::string&) { rig.window.QueueClick(0); };
  EXPECT_EQ(Click(0), kExitCompleted);
  EXPECT_EQ(CountInLog("Standard!"), 1);
  EXPECT_EQ(CountInLog("Ini!"), 1);
}

TEST_F(InstallationTest, AnAbortEndsTheRunWithTheLatchSet) {
  rig.memory.AddFile("C:\\SP\\Standard\\a.txt", "a", 9);
  rig.memory.AddFile("C:\\a.txt", "old", 1).locked = true;
  rig.window.answers = {kAnswerAbort};
  EXPECT_EQ(Click(0), kExitAborted);
  EXPECT_EQ(rig.Log().back(), "Abbruch");
  EXPECT_EQ(CountInLog("Register!"), 0);
}

}  // namespace
}  // namespace rolvex
