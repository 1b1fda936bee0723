#include "passes/ini_pass.h"

#include <gtest/gtest.h>

#include "fakes/installer_rig.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

constexpr char kSource[] = "C:\\SP\\Ini\\Computer.ini";
constexpr char kTarget[] = "C:\\Computer.ini";

class IniPassTest : public ::testing::Test {
 protected:
  void Run() { IniKopieren(rig.state, "Taste_Click.Installation"); }
  std::vector<std::string> Writes() {
    std::vector<std::string> writes;
    for (const auto& w : rig.profiles.writes) {
      writes.push_back(w.file + "|" + w.section + "|" + w.key + "|" + w.value);
    }
    return writes;
  }
  InstallerRig rig;
};

TEST_F(IniPassTest, AMissingTargetIsCopiedWhole) {
  rig.memory.AddFile(kSource, "[A]\r\nk=v\r\n");
  Run();
  EXPECT_EQ(rig.Log(), std::vector<std::string>{
                           "Kopie C:\\SP\\Ini\\Computer.ini C:\\Computer.ini"});
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "[A]\r\nk=v\r\n");
  EXPECT_TRUE(rig.profiles.writes.empty());
}

TEST_F(IniPassTest, AnExistingTargetGetsEveryEntryWrittenAndLogged) {
  rig.memory.AddFile(kSource,
                     "k0=before\r\n[ A ]\r\nSpeed = 100\r\nPos=10,20\r\n"
                     "; note\r\n[B]\r\n\"q=a,b\"\r\nKey=\r\nz\r\n");
  rig.memory.AddFile(kTarget, "", 1, kAttrReadOnly);
  Run();
  EXPECT_EQ(Writes(),
            (std::vector<std::string>{
                // SaveIni drops the blank before the value.
                "C:\\Computer.ini| A |Speed |100",
                "C:\\Computer.ini| A |Pos|10", "C:\\Computer.ini| A |Pos|10",
                "C:\\Computer.ini| A |Pos|10", "C:\\Computer.ini|B|q|a,b"}));
  EXPECT_EQ(rig.Log()[0], "Eintrag S: A  K:Speed  W: 100 -> C:\\Computer.ini");
  EXPECT_EQ(rig.Log().size(), 5u);
  EXPECT_EQ(rig.memory.Find(kTarget)->attributes, 0);
}

TEST_F(IniPassTest, ARefusedWriteIsLoggedAsWrittenAndCountsAsAFailure) {
  rig.memory.AddFile(kSource, "[A]\r\nk=v\r\n");
  rig.memory.AddFile(kTarget, "");
  rig.profiles.failing_files.push_back("C:\\COMPUTER.INI");
  Run();
  EXPECT_EQ(rig.Log(), std::vector<std::string>{
                           "Eintrag S:A K:k W:v -> C:\\Computer.ini"});
  EXPECT_EQ(rig.state.run_report.failures(), 1);

  // The target is written back once per source file; a refused write-back
  // fails each entry it held, which stay logged as written.
  rig.profiles.failing_files.clear();
  rig.profiles.failing_write_backs.push_back("C:\\COMPUTER.INI");
  rig.memory.AddFile(kSource, "[A]\r\nk=v\r\nj=w\r\n");
  Run();
  EXPECT_EQ(rig.profiles.batches, (std::vector<std::string>{kTarget, kTarget}));
  EXPECT_EQ(rig.Log().size(), 3u);
  EXPECT_EQ(rig.state.run_report.failures(), 3);
  EXPECT_FALSE(rig.profiles.FileBytes(kTarget));
  // Only the entries the store still held are lost: here the last one.
  rig.profiles.batch_pending = 1;
  Run();
  EXPECT_EQ(rig.state.run_report.failures(), 4);
}

TEST_F(IniPassTest, AnEmptySourceOnlyMakesTheTargetNormal) {
  rig.memory.AddFile(kSource, "");
  rig.memory.AddFile(kTarget, "x", 1, kAttrReadOnly);
  Run();
  EXPECT_TRUE(rig.profiles.writes.empty());
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "x");
  EXPECT_EQ(rig.memory.Find(kTarget)->attributes, 0);
}

TEST_F(IniPassTest, AHiddenTargetIsTakenForMissingAndTheCopyFails) {
  rig.memory.AddFile(kSource, "[A]\r\nk=v\r\n");
  rig.memory.AddFile(kTarget, "mine", 1, kAttrHidden);
  Run();
  EXPECT_EQ(rig.Log()[1],
            "Fehler Number:70; Description:Permission denied "
            "'C:\\SP\\Computer.ini'; Source:Rolvex");
  EXPECT_EQ(rig.window.message_boxes[0].title, "Error");
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "mine");
}

TEST_F(IniPassTest, AnUnreadableSourceIsReportedOnceAndTheEntryGoesOn) {
  rig.memory.AddFile(kSource, "[A]\r\nk=v\r\n").unreadable = true;
  rig.memory.AddFile(kTarget, "x", 1, kAttrReadOnly);
  rig.memory.AddFile("C:\\SP\\Ini\\Second.ini", "[A]\r\nk=v\r\n");
  Run();
  EXPECT_EQ(rig.window.message_boxes.size(), 1u);
  EXPECT_EQ(rig.memory.Find(kTarget)->attributes, 0);
  EXPECT_TRUE(rig.memory.Exists("C:\\Second.ini"));
}

TEST_F(IniPassTest, AFailingEndOfFileTestRunsTheBodyOnceMore) {
  rig.memory.AddFile(kSource, "[A]\r\nk=v\r\n");
  rig.memory.AddFile(kTarget, "");
  // Every test fails and the body runs: "[A]", "k=v", then a read past the
  // end (62) that leaves "k=v" in place, so it is written again; a failed
  // read ends the merge.
  rig.files.Fail("AtEnd", kSource, kErrBadFileName);
  Run();
  EXPECT_EQ(Writes(), (std::vector<std::string>{"C:\\Computer.ini|A|k|v",
                                                "C:\\Computer.ini|A|k|v"}));
  EXPECT_EQ(rig.state.run_report.failures(), 4);
}

TEST_F(IniPassTest, AReaderThatFailsForEverDoesNotHangThePass) {
  rig.memory.AddFile(kSource, "[A]\r\nk=v\r\n");
  rig.memory.AddFile(kTarget, "");
  rig.files.Fail("AtEnd", kSource, kErrBadFileName);
  rig.files.Fail("ReadItem", kSource, kErrBadFileName);
  Run();
  EXPECT_TRUE(rig.profiles.writes.empty());
  EXPECT_EQ(rig.state.run_report.failures(), 2);
}

TEST_F(IniPassTest, AMissingFolderIsCreatedForTheFile) {
  rig.memory.AddFile("C:\\SP\\Ini\\Cfg\\a.ini", "[A]\r\nk=v\r\n");
  Run();
  EXPECT_EQ(rig.Log()[0], "Ordner C:\\Cfg");
  EXPECT_TRUE(rig.memory.Exists("C:\\Cfg\\a.ini"));
}

TEST_F(IniPassTest, AHiddenFolderIsTakenForMissing) {
  rig.memory.AddFolder("C:\\SP\\Ini\\Hid");
  rig.memory.AddFolder("C:\\Hid", kAttrHidden);
  Run();
  const std::string failed =
      "Fehler Number:75; Description:Path/File access error 'C:\\SP'; "
      "Source:Rolvex";
  EXPECT_EQ(rig.Log(), (std::vector<std::string>{"Ordner C:\\Hid", failed}));
  ASSERT_EQ(rig.window.message_boxes.size(), 1u);
  EXPECT_EQ(rig.window.message_boxes[0].text, failed);
  EXPECT_EQ(rig.state.run_report.failures(), 1);
}

}  // namespace
}  // namespace rolvex
