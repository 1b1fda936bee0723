#include "platform/posix/posix_restart_scheduler.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_pending_renames.h"
#include "platform/posix/posix_temp_prefix.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(PendingRenamesTest, FormatAndParseRoundTrip) {
  std::vector<PendingRename> renames{{"C:\\a b.dll", "C:\\x\\a b.dll", true},
                                     {"C:\\m", "C:\\n", false},
                                     {"C:\\gone", "", true}};
  std::string text;
  for (const auto& r : renames) text += FormatPendingRename(r);
  EXPECT_EQ(text, "C:\\a b.dll\n!C:\\x\\a b.dll\nC:\\m\nC:\\n\nC:\\gone\n\n");
  std::string incomplete;
  EXPECT_EQ(ParsePendingRenames(text, &incomplete),
            (std::vector<PendingRename>{{"C:\\a b.dll", "C:\\x\\a b.dll", true},
                                        {"C:\\m", "C:\\n", false},
                                        {"C:\\gone", "", false}}));
  EXPECT_EQ(incomplete, "");
}

TEST(PendingRenamesTest, RemainsOfAnInterruptedWriteAreSetApart) {
  std::string incomplete;
  EXPECT_THAT(
      ParsePendingRenames("C:\\s\r\n!C:\\t\r\nC:\\u\n!C:\\v", &incomplete),
      ElementsAre(PendingRename{"C:\\s", "C:\\t", true}));
  EXPECT_EQ(incomplete, "C:\\u\n!C:\\v");
  incomplete.clear();
  EXPECT_THAT(ParsePendingRenames("C:\\s\n!C:\\t\nC:\\u\n", &incomplete),
              ElementsAre(PendingRename{"C:\\s", "C:\\t", true}));
  EXPECT_EQ(incomplete, "C:\\u");
  EXPECT_THAT(ParsePendingRenames("", nullptr), IsEmpty());
}

class RestartSchedulerTest : public ::testing::Test {
 protected:
  RestartSchedulerTest() : drives_(prefix_.path()), scheduler_(drives_) {
    std::filesystem::create_directories(C("/SP/Standard"));
    std::filesystem::create_directories(C("/Windows/System32"));
  }
  std::string C(const std::string& rest) const {
    return prefix_.drive_c() + rest;
  }
  std::string List() const { return TempPrefix::Read(scheduler_.list_path()); }
  bool CarryOut(std::string* errors) {
    std::ostringstream out;
    bool ok = CarryOutPendingRenames(drives_, out);
    *errors = out.str();
    return ok;
  }

  TempPrefix prefix_;
  DriveModel drives_;
  PosixRestartScheduler scheduler_;
};

TEST_F(RestartSchedulerTest, RequestsAreRecordedInOrder) {
  EXPECT_TRUE(scheduler_.ReplaceAtRestart("C:\\SP\\Standard\\a.dll",
                                          "C:\\Windows\\System32\\a.dll"));
  EXPECT_TRUE(scheduler_.ReplaceAtRestart("C:\\SP\\Standard\\b.dll",
                                          "C:\\Windows\\System32\\b.dll"));
  EXPECT_EQ(scheduler_.list_path(),
            prefix_.path() + "/rolvex-pending-renames.txt");
  EXPECT_EQ(List(),
            "C:\\SP\\Standard\\a.dll\n!C:\\Windows\\System32\\a.dll\n"
            "C:\\SP\\Standard\\b.dll\n!C:\\Windows\\System32\\b.dll\n");
}

TEST_F(RestartSchedulerTest, NamesThatCannotBeRecordedAreRefused) {
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("C:\\a\nC:\\evil", "C:\\t"));
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("C:\\s", "C:\\t\r"));
  EXPECT_FALSE(
      scheduler_.ReplaceAtRestart("C:\\s", std::string("C:\\t\0x", 6)));
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("relative\\s", "C:\\t"));
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("C:\\s", "C:\\bad|name"));
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("", "C:\\t"));
  EXPECT_FALSE(std::filesystem::exists(scheduler_.list_path()));
}

TEST_F(RestartSchedulerTest, UnwritableListIsARefusalNotAnError) {
  std::filesystem::create_directory(scheduler_.list_path());
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("C:\\s", "C:\\t"));
}

TEST_F(RestartSchedulerTest, MissingPrefixMeansTheFacilityIsGone) {
  std::filesystem::remove_all(prefix_.path());
  try {
    scheduler_.ReplaceAtRestart("C:\\s", "C:\\t");
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), kErrPathNotFound);
  }
}

TEST_F(RestartSchedulerTest, RestartReplacesTargetsInOrderAndEmptiesTheList) {
  TempPrefix::Write(C("/SP/Standard/a.dll"), "new a");
  TempPrefix::Write(C("/SP/Standard/a2.dll"), "newer a");
  TempPrefix::Write(C("/Windows/System32/a.dll"), "old a");
  // Requests are carried out in order: the later one wins.
  ASSERT_TRUE(scheduler_.ReplaceAtRestart("C:\\SP\\Standard\\a.dll",
                                          "C:\\WINDOWS\\system32\\A.DLL"));
  ASSERT_TRUE(scheduler_.ReplaceAtRestart("C:\\SP\\Standard\\a2.dll",
                                          "C:\\Windows\\System32\\a.dll"));
  std::string errors;
  EXPECT_TRUE(CarryOut(&errors));
  EXPECT_EQ(errors, "");
  EXPECT_EQ(TempPrefix::Read(C("/Windows/System32/a.dll")), "newer a");
  // The sources are moved, as MoveFileEx does.
  EXPECT_FALSE(std::filesystem::exists(C("/SP/Standard/a.dll")));
  EXPECT_FALSE(std::filesystem::exists(C("/SP/Standard/a2.dll")));
  EXPECT_FALSE(std::filesystem::exists(scheduler_.list_path()));
  // Nothing waiting: nothing to do, and that is success.
  EXPECT_TRUE(CarryOut(&errors));
}

TEST_F(RestartSchedulerTest, FailingRequestsAreReportedAndKept) {
  TempPrefix::Write(C("/SP/Standard/ok.dll"), "ok");
  TempPrefix::Write(C("/SP/Standard/ro.dll"), "ro");
  TempPrefix::Write(C("/Windows/System32/ro.dll"), "old");
  chmod(C("/Windows/System32/ro.dll").c_str(), 0444);
  std::filesystem::create_directories(C("/Windows/System32/dir.dll"));
  TempPrefix::Write(C("/SP/Standard/dir.dll"), "d");
  ASSERT_TRUE(scheduler_.ReplaceAtRestart("C:\\SP\\Standard\\missing.dll",
                                          "C:\\Windows\\System32\\m.dll"));
  ASSERT_TRUE(scheduler_.ReplaceAtRestart("C:\\SP\\Standard\\ro.dll",
                                          "C:\\Windows\\System32\\ro.dll"));
  ASSERT_TRUE(scheduler_.ReplaceAtRestart("C:\\SP\\Standard\\ok.dll",
                                          "C:\\Windows\\System32\\ok.dll"));
  ASSERT_TRUE(scheduler_.ReplaceAtRestart("C:\\SP\\Standard\\dir.dll",
                                          "C:\\Windows\\System32\\dir.dll"));
  std::string errors;
  EXPECT_FALSE(CarryOut(&errors));
  EXPECT_THAT(errors, HasSubstr("cannot replace C:\\Windows\\System32\\m.dll "
                                "with C:\\SP\\Standard\\missing.dll"));
  EXPECT_THAT(errors, HasSubstr("read-only"));
  EXPECT_THAT(errors, HasSubstr("folder"));
  EXPECT_EQ(TempPrefix::Read(C("/Windows/System32/ok.dll")), "ok");
  EXPECT_EQ(TempPrefix::Read(C("/Windows/System32/ro.dll")), "old");
  EXPECT_EQ(List(),
            "C:\\SP\\Standard\\missing.dll\n!C:\\Windows\\System32\\m.dll\n"
            "C:\\SP\\Standard\\ro.dll\n!C:\\Windows\\System32\\ro.dll\n"
            "C:\\SP\\Standard\\dir.dll\n!C:\\Windows\\System32\\dir.dll\n");
  // Once the cause is gone, the next restart carries the rest out.
  chmod(C("/Windows/System32/ro.dll").c_str(), 0644);
  std::filesystem::remove(C("/Windows/System32/dir.dll"));
  TempPrefix::Write(C("/SP/Standard/missing.dll"), "m");
  EXPECT_TRUE(CarryOut(&errors)) << errors;
  EXPECT_EQ(TempPrefix::Read(C("/Windows/System32/ro.dll")), "ro");
  EXPECT_FALSE(std::filesystem::exists(scheduler_.list_path()));
}

TEST_F(RestartSchedulerTest, HandWrittenFormsMoveAndDelete) {
  TempPrefix::Write(C("/SP/Standard/m"), "m");
  TempPrefix::Write(C("/SP/Standard/t"), "t");
  TempPrefix::Write(C("/Windows/t"), "exists");
  TempPrefix::Write(C("/SP/Standard/del"), "d");
  TempPrefix::Write(scheduler_.list_path(),
                    "C:\\SP\\Standard\\m\nC:\\Windows\\m\n"
                    "C:\\SP\\Standard\\t\nC:\\Windows\\t\n"
                    "C:\\SP\\Standard\\del\n\n"
                    "C:\\SP\\Standard\\torn");
  std::string errors;
  EXPECT_FALSE(CarryOut(&errors));
  EXPECT_EQ(TempPrefix::Read(C("/Windows/m")), "m");
  EXPECT_EQ(TempPrefix::Read(C("/Windows/t")), "exists");  // no "!": kept
  EXPECT_FALSE(std::filesystem::exists(C("/SP/Standard/del")));
  EXPECT_THAT(errors, HasSubstr("target exists"));
  EXPECT_THAT(errors, HasSubstr("incomplete entry: C:\\SP\\Standard\\torn"));
  // The torn entry is dropped; the refused move stays.
  EXPECT_EQ(List(), "C:\\SP\\Standard\\t\nC:\\Windows\\t\n");
}

TEST_F(RestartSchedulerTest, MoveAcrossFileSystemsCopiesAndKeepsTheTime) {
  // /dev/shm is another file system on most machines; without it the test
  // still checks the plain rename.
  std::string other =
      "/dev/shm/rolvex-restart-test-" + std::to_string(getpid());
  bool have_shm = std::filesystem::create_directory(other);
  std::string source_host = have_shm ? other + "/src.dll" : C("/SP/src.dll");
  TempPrefix::Write(source_host, "moved");
  struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  utimensat(AT_FDCWD, source_host.c_str(), times, 0);
  std::string source_windows = drives_.ToWindows(source_host);
  ASSERT_TRUE(scheduler_.ReplaceAtRestart(source_windows,
                                          "C:\\Windows\\System32\\src.dll"));
  std::string errors;
  EXPECT_TRUE(CarryOut(&errors)) << errors;
  EXPECT_EQ(TempPrefix::Read(C("/Windows/System32/src.dll")), "moved");
  struct stat st;
  ASSERT_EQ(stat(C("/Windows/System32/src.dll").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
  EXPECT_FALSE(std::filesystem::exists(source_host));
  if (have_shm) std::filesystem::remove_all(other);
}

}  // namespace
}  // namespace rolvex
