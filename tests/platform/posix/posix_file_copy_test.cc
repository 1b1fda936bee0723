// Files in use and copies that fail halfway: both need a second process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_file_lock.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_locking_child.h"
#include "platform/posix/posix_temp_prefix.h"

namespace rolvex {
namespace {

class InUseTest : public ::testing::TestWithParam<LockKind> {};

TEST_P(InUseTest, ALockedFileCanNeitherBeReplacedNorDeleted) {
  TempPrefix temp;
  DriveModel drives(temp.path());
  PosixFileSystem fs(drives);
  TempPrefix::Write(temp.drive_c() + "/src", "new");
  TempPrefix::Write(temp.drive_c() + "/busy.dll", "old");
  {
    LockingChild child(temp.drive_c() + "/busy.dll", GetParam());
    EXPECT_TRUE(IsLockedByAnotherProcess(temp.drive_c() + "/busy.dll"));
    EXPECT_EQ(ErrorNumberOf([&] { fs.FileCopy("C:\\src", "C:\\busy.dll"); }),
              kErrPermissionDenied);
    EXPECT_EQ(ErrorNumberOf([&] { fs.Kill("C:\\busy.dll"); }),
              kErrPermissionDenied);
    EXPECT_EQ(TempPrefix::Read(temp.drive_c() + "/busy.dll"), "old");
  }
  // Once the other process lets go, both work.
  EXPECT_FALSE(IsLockedByAnotherProcess(temp.drive_c() + "/busy.dll"));
  fs.FileCopy("C:\\src", "C:\\busy.dll");
  EXPECT_EQ(TempPrefix::Read(temp.drive_c() + "/busy.dll"), "new");
  fs.Kill("C:\\busy.dll");
  EXPECT_EQ(fs.Dir("C:\\busy.dll", 31), "");
}

std::string LockName(const ::testing::TestParamInfo<LockKind>& info) {
  static const char* const kNames[] = {"Flock", "FcntlRead", "FcntlWrite",
                                       "Ofd"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(AllLockKinds, InUseTest,
                         ::testing::Values(LockKind::kFlock,
                                           LockKind::kFcntlRead,
                                           LockKind::kFcntlWrite,
                                           LockKind::kOfd),
                         LockName);

class TornCopyTest : public ::testing::Test {
 protected:
  TornCopyTest() : drives_(temp_.path()) {
    TempPrefix::Write(temp_.drive_c() + "/big", std::string(1 << 20, 'n'));
  }
  // The error number of copying the big file onto `target`, in a child.
  int CopyInChild(const std::string& target, rlim_t file_size_limit) {
    return RunInChild([&] {
      if (file_size_limit != RLIM_INFINITY) {
        signal(SIGXFSZ, SIG_IGN);  // let write() fail instead of dying
        struct rlimit limit = {file_size_limit, file_size_limit};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      PosixFileSystem fs(drives_);
      return ErrorNumberOf([&] { fs.FileCopy("C:\\big", target); });
    });
  }

  TempPrefix temp_;
  DriveModel drives_;
};

TEST_F(TornCopyTest, AFailureHalfwayLeavesTheOldTargetWhole) {
  TempPrefix::Write(temp_.drive_c() + "/target", "old target");
  EXPECT_EQ(CopyInChild("C:\\target", 64 * 1024), kErrDiskFull);
  EXPECT_EQ(TempPrefix::Read(temp_.drive_c() + "/target"), "old target");
  PosixFileSystem fs(drives_);
  EXPECT_EQ(fs.Dir("C:\\*.*", 31), "big");
  EXPECT_EQ(fs.DirNext(), "target");
  EXPECT_EQ(fs.DirNext(), "");  // no temporary file left behind
}

TEST_F(TornCopyTest, AFullDiskIsError61AndLeavesTheOldTarget) {
  // A tiny tmpfs in a mount namespace of the child's own, so that nothing
  // stays mounted whatever happens. Needs the right to mount.
  std::string small = temp_.drive_c() + "/Small";
  mkdir(small.c_str(), 0755);
  int result = RunInChild([&] {
    if (unshare(CLONE_NEWNS) != 0) return 200;
    mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0) {
      return 200;
    }
    TempPrefix::Write(small + "/target", "old target");
    PosixFileSystem fs(drives_);
    int error =
        ErrorNumberOf([&] { fs.FileCopy("C:\\big", "C:\\Small\\target"); });
    if (TempPrefix::Read(small + "/target") != "old target") return 201;
    if (fs.Dir("C:\\Small\\*.*", 31) != "." || fs.DirNext() != ".." ||
        fs.DirNext() != "target" || fs.DirNext() != "") {
      return 202;  // a temporary file was left behind
    }
    return error;
  });
  if (result == 200) GTEST_SKIP() << "no right to mount a tmpfs here";
  EXPECT_EQ(result, kErrDiskFull);
}

}  // namespace
}  // namespace rolvex
