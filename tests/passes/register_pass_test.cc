#include "passes/register_pass.h"

#include <gtest/gtest.h>

#include "fakes/installer_rig.h"

namespace rolvex {
namespace {

class RegisterPassTest : public ::testing::Test {
 protected:
  RegisterPassTest() { rig.memory.AddFolder("C:\\Windows\\System32"); }
  void Run() { RegKopieren(rig.state, "Form_Load.Installation"); }
  InstallerRig rig;
};

TEST_F(RegisterPassTest, AnEmptyTreeRunsNothing) {
  Run();
  EXPECT_TRUE(rig.processes.started.empty());
  EXPECT_TRUE(rig.window.rec(ControlId::kBalkenPicture).visible);
}

TEST_F(RegisterPassTest, AComponentIsUnregisteredCopiedAndRegistered) {
  rig.memory.AddFile("C:\\SP\\Register\\X.dll", "x", 5);
  rig.processes.on_wait = [&](const std::string&) {
    rig.window.calls.push_back(rig.memory.Exists("C:\\X.dll") ? "there"
                                                              : "missing");
  };
  Run();
  EXPECT_EQ(rig.processes.started,
            (std::vector<std::string>{"RegSvr32 /u /s C:\\X.dll",
                                      "RegSvr32 /s C:\\X.dll"}));
  // Unregistered before the copy, registered after it.
  EXPECT_EQ(rig.window.calls, (std::vector<std::string>{"missing", "there"}));
  EXPECT_EQ(rig.Log(), (std::vector<std::string>{
                           "Komp C:\\X.dll",
                           "Kopie C:\\SP\\Register\\X.dll T5 -> C:\\X.dll",
                           "Komp C:\\X.dll"}));
}

// A registration that could not start or ended with an exit code other than
// 0 did not happen: its entry fails (the log stays as it is). A failing
// unregistration is only recorded.
TEST_F(RegisterPassTest, ARegistrationThatFailedFailsItsEntry) {
  rig.memory.AddFile("C:\\SP\\Register\\A.dll");
  rig.memory.AddFile("C:\\SP\\Register\\B.dll");
  rig.memory.AddFile("C:\\SP\\Register\\C.dll");
  rig.processes.exit_codes["RegSvr32 /u /s C:\\A.dll"] = 5;
  rig.processes.exit_codes["RegSvr32 /s C:\\B.dll"] = 5;
  rig.processes.unstartable = {"RegSvr32 /s C:\\C.dll"};
  Run();
  const auto& entries = rig.state.run_report.entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].outcome, ReportOutcome::kOk);
  EXPECT_EQ(entries[0].commands[0].exit_code, 5);
  EXPECT_EQ(entries[1].outcome, ReportOutcome::kFailed);
  EXPECT_EQ(entries[1].error->number, 5);
  EXPECT_EQ(entries[2].outcome, ReportOutcome::kFailed);
  EXPECT_FALSE(entries[2].commands[1].started);
  EXPECT_EQ(entries[2].error->number, kErrFileNotFound);
  EXPECT_EQ(rig.Log().size(), 9u);
}

TEST_F(RegisterPassTest, ExecutablesRegisterThemselvesWhateverTheCase) {
  rig.memory.AddFile("C:\\SP\\Register\\Tools\\Srv.exe");
  rig.memory.AddFile("C:\\SP\\Register\\Tools\\srv2.Exe");
  rig.memory.AddFile("C:\\SP\\Register\\$WinDir$\\System32\\X.ocx");
  Run();
  EXPECT_EQ(
      rig.processes.started,
      (std::vector<std::string>{
          "C:\\Tools\\Srv.exe /unregserver", "C:\\Tools\\Srv.exe /regserver",
          "C:\\Tools\\srv2.Exe /unregserver", "C:\\Tools\\srv2.Exe /regserver",
          // One level deeper, so after the files of Tools.
          "RegSvr32 /u /s C:\\Windows\\System32\\X.ocx",
          "RegSvr32 /s C:\\Windows\\System32\\X.ocx"}));
  EXPECT_EQ(rig.Log()[0], "Ordner C:\\Tools");
  EXPECT_TRUE(rig.memory.Exists("C:\\Tools\\Srv.exe"));
}

TEST_F(RegisterPassTest, APathWithABlankGoesIntoTheCommandUnquoted) {
  rig.memory.AddFile("C:\\SP\\Register\\My Tools\\a.dll");
  Run();
  EXPECT_EQ(rig.processes.started[0], "RegSvr32 /u /s C:\\My Tools\\a.dll");
}

TEST_F(RegisterPassTest, AKeptComponentIsRegisteredAgain) {
  rig.memory.AddFile("C:\\SP\\Register\\X.dll", "new", 5);
  rig.memory.AddFile("C:\\X.dll", "old", 9);
  Run();
  EXPECT_EQ(rig.memory.Find("C:\\X.dll")->content, "old");
  EXPECT_EQ(rig.processes.started.back(), "RegSvr32 /s C:\\X.dll");
}

TEST_F(RegisterPassTest,
       TheBarFollowsTheEntriesAndEventsRunAfterEachComponent) {
  rig.memory.AddFile("C:\\SP\\Register\\a.dll");
  rig.memory.AddFile("C:\\SP\\Register\\b.dll");
  std::vector<float> fills;
  rig.processes.on_wait = [&](const std::string& command) {
    if (command.rfind("RegSvr32 /s", 0) == 0) {
      fills.push_back(rig.window.rec(ControlId::kBalkenShape).width);
    }
  };
  Run();
  const float frame = rig.window.rec(ControlId::kBalkenPicture).width;
  EXPECT_EQ(fills, (std::vector<float>{frame / 2, frame}));
  // One round at the start, one after each wait, one after each component.
  EXPECT_EQ(rig.window.do_events_count, 1 + 4 + 2);
}

TEST_F(RegisterPassTest, AnExistingFileWhereAFolderBelongsIsNotCreatedAgain) {
  // The lookup with the folder bit also finds a file of that name.
  rig.memory.AddFolder("C:\\SP\\Register\\Tools");
  rig.memory.AddFile("C:\\Tools", "a file");
  Run();
  EXPECT_TRUE(rig.Log().empty());
  EXPECT_FALSE(rig.memory.Find("C:\\Tools")->folder);
}

TEST_F(RegisterPassTest, AHiddenOrSystemFolderIsTakenForMissing) {
  // The lookup with the folder bit alone does not see a folder that is also
  // hidden or system; making it again fails, and that is reported.
  rig.memory.AddFolder("C:\\SP\\Register\\Hid");
  rig.memory.AddFolder("C:\\SP\\Register\\Sys");
  rig.memory.AddFolder("C:\\Hid", kAttrHidden);
  rig.memory.AddFolder("C:\\Sys", kAttrSystem);
  Run();
  const std::string failed =
      "Fehler Number:75; Description:Path/File access error 'C:\\SP'; "
      "Source:Rolvex";
  EXPECT_EQ(rig.Log(), (std::vector<std::string>{"Ordner C:\\Hid", failed,
                                                 "Ordner C:\\Sys", failed}));
  ASSERT_EQ(rig.window.message_boxes.size(), 2u);
  EXPECT_EQ(rig.window.message_boxes[1].text, failed);
  // Reported failures: the run ends with status 1.
  EXPECT_EQ(rig.state.run_report.failures(), 2);
  EXPECT_EQ(rig.memory.GetAttr("C:\\Sys"), kAttrDirectory);
}

}  // namespace
}  // namespace rolvex
