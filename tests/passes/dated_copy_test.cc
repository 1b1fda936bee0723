#include "passes/dated_copy.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/installer_rig.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

constexpr char kSource[] = "C:\\SP\\Standard\\a.txt";
constexpr char kTarget[] = "C:\\Tools\\a.txt";

class DatedCopyTest : public ::testing::Test {
 protected:
  DatedCopyTest() {
    rig.memory.AddFile(kSource, "new", 2000, kAttrReadOnly);
    rig.memory.AddFolder("C:\\Tools");
  }
  void Copy() { DateiKopieren(rig.state, kSource, kTarget, true, true, "P"); }
  int Count(const std::string& call) {
    return static_cast<int>(
        std::count(rig.memory.calls.begin(), rig.memory.calls.end(), call));
  }
  // The calls on the target, in order, without the tests for existence.
  std::vector<std::string> TargetCalls() {
    std::vector<std::string> calls;
    for (const std::string& call : rig.memory.calls) {
      if (call.find(kTarget) != std::string::npos &&
          call.rfind("Dir ", 0) != 0) {
        calls.push_back(call.substr(0, call.find(' ')));
      }
    }
    return calls;
  }
  InstallerRig rig;
};

TEST_F(DatedCopyTest, AMissingTargetIsCopiedAndClearedTwice) {
  Copy();
  EXPECT_EQ(rig.Log(),
            std::vector<std::string>{
                "Kopie C:\\SP\\Standard\\a.txt T2000 -> C:\\Tools\\a.txt"});
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "new");
  EXPECT_EQ(rig.memory.Find(kTarget)->attributes, 0);
  EXPECT_EQ(TargetCalls(),
            (std::vector<std::string>{"FileCopy", "SetAttr", "SetAttr"}));
  EXPECT_EQ(rig.state.run_report.failures(), 0);
}

TEST_F(DatedCopyTest, AnOlderTargetIsReplacedBetweenTwoAttributeResets) {
  rig.memory.AddFile(kTarget, "old", 1999, kAttrHidden);
  Copy();
  EXPECT_EQ(rig.Log(),
            std::vector<std::string>{"Kopie C:\\SP\\Standard\\a.txt T2000  -> "
                                     "C:\\Tools\\a.txt T1999"});
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "new");
  EXPECT_EQ(TargetCalls(), (std::vector<std::string>{
                               "SetAttr", "GetAttr", "DateLastModified",
                               "SetAttr", "FileCopy", "SetAttr", "SetAttr"}));
}

TEST_F(DatedCopyTest, AnEquallyDatedOrNewerTargetIsKeptButCleared) {
  for (FileTime target_time : {2000, 2001}) {
    rig.memory.AddFile(kTarget, "old", target_time, kAttrReadOnly);
    rig.memory.calls.clear();
    Copy();
    EXPECT_EQ(rig.Log().back(),
              "Bleibt C:\\SP\\Standard\\a.txt T2000  -> "
              "C:\\Tools\\a.txt T" +
                  std::to_string(target_time));
    EXPECT_EQ(rig.memory.Find(kTarget)->content, "old");
    EXPECT_EQ(rig.memory.Find(kTarget)->attributes, 0);
    EXPECT_EQ(Count("SetAttr C:\\Tools\\a.txt"), 2);
  }
}

TEST_F(DatedCopyTest, AllDataEqualReplacesANewerTarget) {
  rig.memory.AddFile(kTarget, "old", 5000);
  rig.state.all_data_equal = true;
  Copy();
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "new");
  EXPECT_EQ(rig.Log()[0].rfind("Kopie ", 0), 0u);
}

TEST_F(DatedCopyTest, ReplaceIfNewerFalseKeepsAnOlderTarget) {
  rig.memory.AddFile(kTarget, "old", 1);
  DateiKopieren(rig.state, kSource, kTarget, false, true, "P");
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "old");
}

TEST_F(DatedCopyTest, AMissingSourceOnlyShowsABox) {
  DateiKopieren(rig.state, "C:\\SP\\Standard\\gone.txt", kTarget, true, true,
                "P");
  ASSERT_EQ(rig.window.message_boxes.size(), 1u);
  EXPECT_EQ(rig.window.message_boxes[0].text,
            "'C:\\SP\\Standard\\gone.txt' nicht vorhanden");
  EXPECT_EQ(rig.window.message_boxes[0].style, kMbOk);
  EXPECT_EQ(rig.window.message_boxes[0].title, "");
  EXPECT_TRUE(rig.Log().empty());
  EXPECT_FALSE(rig.memory.Exists(kTarget));
  EXPECT_EQ(rig.state.run_report.failures(), 1);
}

TEST_F(DatedCopyTest, ReportFalseWritesNoLineAndShowsNoBox) {
  DateiKopieren(rig.state, kSource, kTarget, true, false, "P");
  DateiKopieren(rig.state, "C:\\gone", kTarget, true, false, "P");
  EXPECT_TRUE(rig.Log().empty());
  EXPECT_TRUE(rig.window.message_boxes.empty());
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "new");
}

TEST_F(DatedCopyTest, HiddenAndSystemSourcesAreFound) {
  rig.memory.Find(kSource)->attributes = kAttrHidden | kAttrSystem;
  Copy();
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "new");
}

TEST_F(DatedCopyTest, AFolderAtTheTargetIsKeptWithTheSourcesTimeStamp) {
  rig.memory.AddFolder(kTarget);
  Copy();
  const std::vector<std::string> log = rig.Log();
  ASSERT_EQ(log.size(), 2u);
  // GetFile of a folder fails; the holder still has the source.
  EXPECT_EQ(log[0],
            "Fehler Number:53; Description:File not found "
            "'C:\\SP\\Standard\\a.txt' -> 'C:\\Tools\\a.txt'; Source:Rolvex");
  EXPECT_EQ(log[1],
            "Bleibt C:\\SP\\Standard\\a.txt T2000  -> "
            "C:\\Tools\\a.txt T2000");
  // The error line is shown too, but without a box.
  EXPECT_EQ(rig.Shown(), log[0]);
  EXPECT_TRUE(rig.window.message_boxes.empty());
  EXPECT_EQ(rig.state.run_report.failures(), 1);
}

TEST_F(DatedCopyTest, AFolderAtTheTargetWithAllDataEqualFailsInTheCopy) {
  rig.memory.AddFolder(kTarget);
  rig.state.all_data_equal = true;
  Copy();
  ASSERT_EQ(rig.window.message_boxes.size(), 1u);
  EXPECT_NE(rig.window.message_boxes[0].text.find("Number:75"),
            std::string::npos);
  EXPECT_TRUE(rig.memory.Find(kTarget)->folder);
}

TEST_F(DatedCopyTest, AFailingSourceTestCountsAsAPresentSource) {
  rig.files.Fail("Dir", kSource, kErrBadFileName, 1);
  Copy();
  EXPECT_EQ(rig.Log()[0],
            "Fehler Number:52; Description:Bad file name or number "
            "'C:\\SP\\Standard\\a.txt' -> 'C:\\Tools\\a.txt'; "
            "Source:FaultyFileSystem");
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "new");
}

TEST_F(DatedCopyTest, AFailingTargetTestCountsAsAPresentTarget) {
  rig.files.Fail("Dir", kTarget, kErrBadFileName, 1);
  Copy();
  // The target is missing, so clearing it and getting its file object fail
  // and are reported in turn; the holder keeps the source, the time stamps
  // are equal and the "target" is kept: nothing is copied.
  EXPECT_FALSE(rig.memory.Exists(kTarget));
  EXPECT_GE(rig.state.run_report.failures(), 3);
  EXPECT_EQ(rig.Log()[0].find("Fehler Number:52"), 0u);
}

TEST_F(DatedCopyTest, AnUnreadableSourceTimeNeverCountsAsNewer) {
  rig.memory.AddFile(kTarget, "old", 1);
  rig.files.Fail("GetAttr", kSource, kErrPermissionDenied);
  Copy();
  const std::vector<std::string> log = rig.Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_NE(log[0].find("Number:70"), std::string::npos);
  // The empty holder cannot be asked for its time.
  EXPECT_NE(log[1].find("Number:91"), std::string::npos);
  EXPECT_EQ(log[2],
            "Bleibt C:\\SP\\Standard\\a.txt 00:00:00  -> "
            "C:\\Tools\\a.txt T1");
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "old");
}

TEST_F(DatedCopyTest, AnUnreadableTargetTimeMakesTheSourceNewer) {
  rig.memory.AddFile(kTarget, "old", 9999);
  rig.files.Fail("DateLastModified", kTarget, kErrPermissionDenied);
  Copy();
  EXPECT_EQ(rig.Log().back(),
            "Kopie C:\\SP\\Standard\\a.txt T2000  -> "
            "C:\\Tools\\a.txt 00:00:00");
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "new");
}

TEST_F(DatedCopyTest, AFailedFirstAttributeResetIsReportedAndTheCopyGoesOn) {
  rig.memory.AddFile(kTarget, "old", 1);
  rig.files.Fail("SetAttr", kTarget, kErrPermissionDenied, 1);
  Copy();
  EXPECT_EQ(rig.Log()[0].find("Fehler Number:70"), 0u);
  EXPECT_EQ(rig.memory.Find(kTarget)->content, "new");
  EXPECT_TRUE(rig.window.message_boxes.empty());
}

TEST_F(DatedCopyTest, AHiddenFolderIsNoSource) {
  rig.memory.AddFolder("C:\\SP\\Standard\\b.txt", kAttrHidden);
  DateiKopieren(rig.state, "C:\\SP\\Standard\\b.txt", kTarget, true, true, "P");
  ASSERT_EQ(rig.window.message_boxes.size(), 1u);
  EXPECT_EQ(rig.window.message_boxes[0].text,
            "'C:\\SP\\Standard\\b.txt' nicht vorhanden");
  EXPECT_TRUE(rig.Log().empty());
  EXPECT_FALSE(rig.memory.Exists(kTarget));
}

}  // namespace
}  // namespace rolvex
