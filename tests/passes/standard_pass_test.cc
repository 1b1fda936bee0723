#include "passes/standard_pass.h"

#include <gtest/gtest.h>

#include "fakes/installer_rig.h"
#include "passes/seal_verification.h"
#include "platform/run_error.h"
#include "platform/sha256.h"

namespace rolvex {
namespace {

class StandardPassTest : public ::testing::Test {
 protected:
  StandardPassTest() { rig.memory.AddFolder("C:\\Windows\\Fonts"); }
  void Run() { StandardKopieren(rig.state, "Taste_Click.Installation"); }
  RecordingControl& Frame() {
    return rig.window.rec(ControlId::kBalkenPicture);
  }
  InstallerRig rig;
};

TEST_F(StandardPassTest, AnEmptyOrMissingTreeCopiesNothingAndShowsTheBar) {
  Run();
  EXPECT_EQ(rig.state.file_count, 0);
  EXPECT_TRUE(rig.Log().empty());
  EXPECT_TRUE(Frame().visible);
}

TEST_F(StandardPassTest, AFileAtTheRootGoesToDriveC) {
  rig.memory.AddFile("C:\\SP\\Standard\\a.ini", "x", 7);
  Run();
  EXPECT_EQ(rig.Log(), std::vector<std::string>{
                           "Kopie C:\\SP\\Standard\\a.ini T7 -> C:\\a.ini"});
  EXPECT_EQ(rig.memory.Find("C:\\a.ini")->content, "x");
  EXPECT_FALSE(Frame().visible);
  // Balken(1, 1): the fill is as wide as the frame.
  EXPECT_EQ(rig.window.rec(ControlId::kBalkenShape).width, Frame().width);
}

TEST_F(StandardPassTest,
       AMissingFolderIsCreatedBeforeItsFilesAndBothEndNormal) {
  rig.memory.AddFolder("C:\\SP\\Standard\\Tools");
  rig.memory.AddFile("C:\\SP\\Standard\\Tools\\a.exe", "x", 7,
                     kAttrHidden | kAttrReadOnly);
  Run();
  EXPECT_EQ(
      rig.Log(),
      (std::vector<std::string>{
          "Ordner C:\\Tools",
          "Kopie C:\\SP\\Standard\\Tools\\a.exe T7 -> C:\\Tools\\a.exe"}));
  EXPECT_EQ(rig.memory.GetAttr("C:\\Tools"), kAttrDirectory);
  EXPECT_EQ(rig.memory.GetAttr("C:\\Tools\\a.exe"), 0);
}

TEST_F(StandardPassTest, ExistingFoldersAreNotLoggedButMadeNormal) {
  rig.memory.AddFolder("C:\\Windows", kAttrHidden | kAttrSystem);
  rig.memory.AddFolder("C:\\SP\\Standard\\$WinDir$\\Fonts");
  Run();
  EXPECT_TRUE(rig.Log().empty());
  EXPECT_EQ(rig.memory.GetAttr("C:\\Windows"), kAttrDirectory);
  EXPECT_TRUE(rig.window.message_boxes.empty());
}

TEST_F(StandardPassTest,
       AnExistingFontIsDeletedAndCopiedAfreshWhateverTheDates) {
  rig.memory.AddFile("C:\\SP\\Standard\\$WinDir$\\Fonts\\X.TTF", "new", 1);
  rig.memory.AddFile("C:\\SP\\Standard\\$WinDir$\\Fonts\\y.ttf", "new", 1);
  rig.memory.AddFile("C:\\Windows\\Fonts\\X.TTF", "old", 99);
  rig.memory.AddFile("C:\\Windows\\Fonts\\y.ttf", "old", 99);
  Run();
  EXPECT_EQ(rig.memory.Find("C:\\Windows\\Fonts\\X.TTF")->content, "new");
  EXPECT_EQ(rig.memory.Find("C:\\Windows\\Fonts\\y.ttf")->content, "new");
  EXPECT_EQ(rig.Log()[0],
            "Kopie C:\\SP\\Standard\\$WinDir$\\Fonts\\X.TTF T1 "
            "-> C:\\Windows\\Fonts\\X.TTF");
}

TEST_F(StandardPassTest, AHiddenFontIsNotFoundAndGoesThroughTheDateCheck) {
  rig.memory.AddFile("C:\\SP\\Standard\\$WinDir$\\Fonts\\X.TTF", "new", 1);
  rig.memory.AddFile("C:\\Windows\\Fonts\\X.TTF", "old", 99, kAttrHidden);
  Run();
  EXPECT_EQ(rig.memory.Find("C:\\Windows\\Fonts\\X.TTF")->content, "old");
  EXPECT_EQ(rig.Log()[0].rfind("Bleibt ", 0), 0u);
}

TEST_F(StandardPassTest, AFontThatCannotBeDeletedIsReportedThenDateChecked) {
  rig.memory.AddFile("C:\\SP\\Standard\\$WinDir$\\Fonts\\X.TTF", "new", 100);
  rig.memory.AddFile("C:\\Windows\\Fonts\\X.TTF", "old", 99);
  rig.files.Fail("Kill", "X.TTF", kErrPermissionDenied);
  Run();
  const std::string report =
      "Fehler Number:70; Description:Permission denied 'C:\\SP\\X.TTF'; "
      "Source:FaultyFileSystem";
  EXPECT_EQ(rig.Log()[0], report);
  ASSERT_EQ(rig.window.message_boxes.size(), 1u);
  EXPECT_EQ(rig.window.message_boxes[0].text, report);
  EXPECT_EQ(rig.window.message_boxes[0].title, "Error");
  EXPECT_EQ(rig.window.message_boxes[0].style, kMbOk);
  // The source is newer: the date check replaces it.
  EXPECT_EQ(rig.memory.Find("C:\\Windows\\Fonts\\X.TTF")->content, "new");
  EXPECT_EQ(rig.state.run_report.failures(), 1);
}

TEST_F(StandardPassTest, APlaceholderWithADriveGetsNoDriveCInFront) {
  rig.SetParameter("WinDir", "D:\\Win");
  rig.memory.AddFolder("D:\\Win");
  rig.memory.AddFile("C:\\SP\\Standard\\$WinDir$\\w.txt", "w", 1);
  rig.memory.AddFile("C:\\SP\\Standard\\D\\a.txt", "a", 1);
  Run();
  EXPECT_TRUE(rig.memory.Exists("D:\\Win\\w.txt"));
  EXPECT_TRUE(rig.memory.Exists("C:\\D\\a.txt"));
}

TEST_F(StandardPassTest, AFolderWhoseParentIsMissingIsReportedWithProgramDir) {
  rig.SetParameter("WinDir", "C:\\Deep\\Windows");
  rig.memory.AddFolder("C:\\SP\\Standard\\$WinDir$");
  rig.memory.AddFile("C:\\SP\\Standard\\$WinDir$\\w.txt", "w", 1);
  Run();
  const std::vector<std::string> log = rig.Log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "Ordner C:\\Deep\\Windows");
  EXPECT_EQ(log[1],
            "Fehler Number:76; Description:Path not found 'C:\\SP'; "
            "Source:Rolvex");
  // The file's own failures follow, with the file's place.
  EXPECT_NE(log.back().find("'C:\\SP\\w.txt'"), std::string::npos);
  EXPECT_FALSE(rig.memory.Exists("C:\\Deep\\Windows\\w.txt"));
  EXPECT_EQ(log[2],
            "Fehler Number:53; Description:File not found 'C:\\SP'; "
            "Source:Rolvex");  // normal attributes for the missing folder
  // Three pass reports with their "Error" boxes, three questions of the
  // copy and the two attribute resets; each counts.
  EXPECT_EQ(rig.window.message_boxes.size(), 6u);
  EXPECT_EQ(rig.state.run_report.failures(), 6);
}

TEST_F(StandardPassTest, AFailingFolderLookupLeadsToTheAttemptToCreateIt) {
  rig.memory.AddFolder("C:\\SP\\Standard\\Tools");
  rig.memory.AddFolder("C:\\Tools");
  rig.files.Fail("Dir", "C:\\Tools", kErrBadFileName, 1);
  Run();
  // Found by the attribute read, so not created, yet the failed lookup is
  // reported and its true branch runs: log line and MkDir (which fails).
  EXPECT_EQ(rig.Log(),
            (std::vector<std::string>{
                "Fehler Number:52; Description:Bad file name or number "
                "'C:\\SP'; Source:FaultyFileSystem",
                "Ordner C:\\Tools",
                "Fehler Number:75; Description:Path/File access error "
                "'C:\\SP'; Source:Rolvex"}));
}

TEST_F(StandardPassTest, AFolderWhoseAttributesCannotBeReadIsJudgedByLookup) {
  rig.memory.AddFolder("C:\\SP\\Standard\\Neu");
  rig.memory.AddFolder("C:\\SP\\Standard\\Tools");
  rig.memory.AddFolder("C:\\Tools");
  rig.files.Fail("GetAttr", "C:\\Neu", kErrPermissionDenied, 1);
  rig.files.Fail("GetAttr", "C:\\Tools", kErrPermissionDenied, 1);
  Run();
  // The failed reads are not reported; the lookup alone decides.
  EXPECT_EQ(rig.files.failures(), 2);
  EXPECT_EQ(rig.Log(), std::vector<std::string>{"Ordner C:\\Neu"});
  EXPECT_TRUE(rig.memory.Find("C:\\Neu")->folder);
  EXPECT_TRUE(rig.window.message_boxes.empty());
  EXPECT_EQ(rig.state.run_report.failures(), 0);
}

TEST_F(StandardPassTest, ListingFailuresReachTheCaller) {
  rig.memory.AddFile("C:\\SP\\Standard\\a.txt");
  rig.files.Fail("GetAttr", "a.txt", kErrPathNotFound);
  EXPECT_THROW(Run(), RunError);
  EXPECT_TRUE(rig.Log().empty());
}

TEST_F(StandardPassTest, ExitClickedDuringThePassEndsTheProgramAtOnce) {
  rig.memory.AddFile("C:\\SP\\Standard\\a.txt");
  rig.memory.AddFile("C:\\SP\\Standard\\b.txt");
  rig.window.SetClickHandler(
      [&](int index) { rig.window.EndProgram(index == 1 ? 2 : 0); });
  rig.window.QueueClick(1);
  EXPECT_THROW(Run(), ProgramEnded);
  EXPECT_FALSE(rig.memory.Exists("C:\\a.txt"));
}

TEST_F(StandardPassTest, AHiddenFolderIsFoundByItsAttributeReadAlone) {
  rig.memory.AddFolder("C:\\SP\\Standard\\Both");
  rig.memory.AddFolder("C:\\SP\\Standard\\Hid");
  rig.memory.AddFolder("C:\\Both", kAttrHidden | kAttrSystem);
  rig.memory.AddFolder("C:\\Hid", kAttrHidden);
  rig.files.Fail("GetAttr", "C:\\Both", kErrPermissionDenied, 1);
  Run();
  // The lookup with the folder bit does not see a hidden folder: without
  // its attributes, C:\Both is taken for missing, and making it fails.
  EXPECT_EQ(rig.Log(), (std::vector<std::string>{
                           "Ordner C:\\Both",
                           "Fehler Number:75; Description:Path/File access "
                           "error 'C:\\SP'; Source:Rolvex"}));
  EXPECT_EQ(rig.state.run_report.failures(), 1);
}

std::string DigestOf(const std::string& content) {
  Sha256 digest;
  digest.Update(content.data(), content.size());
  return digest.HexDigest();
}

// A sealed pack: a file is read only when it is about to be installed, a
// font's old file goes only for an intact new one, and a refused file is
// one failure that leaves the PC's file exactly as it was.
TEST_F(StandardPassTest, ASealedPackInstallsOnlyWhatIsIntact) {
  const std::string fonts = "C:\\SP\\Standard\\$WinDir$\\Fonts\\";
  rig.memory.AddFile(fonts + "Bad.ttf", "tampered", 1);
  rig.memory.AddFile(fonts + "Good.ttf", "font", 1);
  rig.memory.AddFile("C:\\SP\\Standard\\kept.txt", "kept", 1);
  rig.memory.AddFile("C:\\SP\\Standard\\stray.txt", "stray", 9);
  rig.memory.AddFile("C:\\Windows\\Fonts\\Bad.ttf", "old", 99, kAttrReadOnly);
  rig.memory.AddFile("C:\\Windows\\Fonts\\Good.ttf", "old", 99);
  rig.memory.AddFile("C:\\kept.txt", "mine", 50);
  rig.memory.AddFile(
      "C:\\SP\\Rolvex.sha256",
      FormatSeal({{DigestOf("font"), "Standard/$WinDir$/Fonts/Bad.ttf"},
                  {DigestOf("font"), "standard/$windir$/fonts/good.TTF"},
                  {DigestOf("other"), "Standard/kept.txt"}}),
      1);
  ASSERT_FALSE(LoadPackSeal(rig.state));
  rig.memory.calls.clear();
  Run();
  EXPECT_EQ(rig.memory.Find("C:\\Windows\\Fonts\\Bad.ttf")->content, "old");
  EXPECT_EQ(rig.memory.GetAttr("C:\\Windows\\Fonts\\Bad.ttf"), kAttrReadOnly);
  EXPECT_EQ(rig.memory.Find("C:\\Windows\\Fonts\\Good.ttf")->content, "font");
  EXPECT_EQ(rig.memory.Find("C:\\kept.txt")->content, "mine");
  EXPECT_EQ(rig.memory.Find("C:\\stray.txt"), nullptr);
  for (const std::string& call : rig.memory.calls) {
    EXPECT_EQ(call.find("ReadContent C:\\SP\\Standard\\kept"),
              std::string::npos);
  }
  std::vector<std::string> refused;
  for (const ReportEntry& entry : rig.state.run_report.entries()) {
    if (!entry.error) continue;
    EXPECT_EQ(entry.error->number, kErrFileCorrupt);
    refused.push_back(entry.seal ? entry.seal->state : "?");
  }
  EXPECT_EQ(refused, (std::vector<std::string>{"not-listed", "differs"}));
}

}  // namespace
}  // namespace rolvex
