#include "platform/posix/posix_profile_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_temp_prefix.h"

namespace rolvex {
namespace {

class PosixProfileStoreTest : public ::testing::Test {
 protected:
  PosixProfileStoreTest() : drives_(temp_.path()), store_(drives_) {}

  std::string Get(const std::string& section, const std::string& key,
                  const std::string& file) {
    return store_.GetString(section, key, std::string(255, ' '), 255, file);
  }
  std::string Host(const std::string& name) const {
    return temp_.drive_c() + "/" + name;
  }
  std::vector<std::string> FilesOfDriveC() const {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(temp_.drive_c())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static ino_t Inode(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
  }
  static mode_t Mode(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }

  TempPrefix temp_;
  DriveModel drives_;
  PosixProfileStore store_;
};

TEST_F(PosixProfileStoreTest, UnmappedDriveOrNoRegularFileReadsAsDefault) {
  EXPECT_EQ(Get("A", "k", "Q:\\x.ini"), "");
  EXPECT_EQ(Get("A", "k", "relative.ini"), "");
  // A folder, or a FIFO that nobody writes to, named like the file: no hang.
  mkdir(Host("dir.ini").c_str(), 0755);
  mkfifo(Host("fifo.ini").c_str(), 0644);
  EXPECT_EQ(Get("A", "k", "C:\\dir.ini"), "");
  EXPECT_EQ(Get("A", "k", "C:\\fifo.ini"), "");
  EXPECT_FALSE(store_.WriteString("A", "k", "v", "C:\\dir.ini"));
  EXPECT_FALSE(store_.WriteString("A", "k", "v", "C:\\fifo.ini"));
}

TEST_F(PosixProfileStoreTest, NewFileGetsTheUmaskAndNothingElseIsMade) {
  EXPECT_TRUE(
      store_.WriteString("General", "CancelSP", "True", "C:\\ServicePack.ini"));
  EXPECT_EQ(Mode(Host("ServicePack.ini")), 0666 & ~CurrentUmask());
  EXPECT_FALSE(store_.WriteString("A", "k", "v", "C:\\NoFolder\\x.ini"));
  EXPECT_FALSE(store_.WriteString("A", "k", "v", "Q:\\x.ini"));
  EXPECT_EQ(FilesOfDriveC(), std::vector<std::string>{"ServicePack.ini"});
}

TEST_F(PosixProfileStoreTest, ReplacesByRenameKeepingThePermissionBits) {
  TempPrefix::Write(Host("Rolvex.ini"), "; keep\n[ServicePack]\nVersion=1\n");
  chmod(Host("Rolvex.ini").c_str(), 0640);
  ino_t before = Inode(Host("Rolvex.ini"));
  EXPECT_TRUE(
      store_.WriteString("SERVICEPACK", "version", " 2.0", "C:\\ROLVEX.INI"));
  // Replaced by rename (a new inode), keeping the permission bits, and no
  // temporary file or second spelling of the name is left behind.
  EXPECT_NE(Inode(Host("Rolvex.ini")), before);
  EXPECT_EQ(Mode(Host("Rolvex.ini")), 0640u);
  EXPECT_EQ(FilesOfDriveC(), std::vector<std::string>{"Rolvex.ini"});
}

TEST_F(PosixProfileStoreTest, UnchangedValueLeavesFileAlone) {
  TempPrefix::Write(Host("a.ini"), "[A]\nk=v\n");
  ino_t before = Inode(Host("a.ini"));
  EXPECT_TRUE(store_.WriteString("A", "k", "v", "C:\\a.ini"));
  EXPECT_EQ(Inode(Host("a.ini")), before);
}

// A file read is kept parsed, yet every change shows in the next read: in
// place with the same size and time stamp, by rename, through a link.
TEST_F(PosixProfileStoreTest, ReadsSeeEveryChangeOfTheFile) {
  const std::string host = Host("t.ini");
  TempPrefix::Write(host, "[T]\nk=1\n");
  struct timespec same[2] = {{1000000000, 0}, {1000000000, 0}};
  utimensat(AT_FDCWD, host.c_str(), same, 0);
  EXPECT_EQ(Get("T", "k", "C:\\t.ini"), "1");
  {
    int fd = open(host.c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, "2", 1, 6), 1);
    close(fd);
  }
  utimensat(AT_FDCWD, host.c_str(), same, 0);
  EXPECT_EQ(Get("T", "k", "C:\\T.INI"), "2");
  TempPrefix::Write(Host("new"), "[T]\nk=3\n");
  rename(Host("new").c_str(), host.c_str());
  EXPECT_EQ(Get("T", "k", "C:\\t.ini"), "3");
  symlink("t.ini", Host("l.ini").c_str());
  EXPECT_EQ(Get("T", "k", "C:\\l.ini"), "3");
  TempPrefix::Write(Host("new"), "[T]\nk=4\n");
  rename(Host("new").c_str(), host.c_str());
  EXPECT_EQ(Get("T", "k", "C:\\l.ini"), "4");
  unlink(host.c_str());
  EXPECT_EQ(Get("T", "k", "C:\\t.ini"), "");
}

TEST_F(PosixProfileStoreTest, ReadOnlyFileIsNotWrittenEvenByRoot) {
  TempPrefix::Write(Host("ro.ini"), "[A]\nk=old\n");
  chmod(Host("ro.ini").c_str(), 0444);
  EXPECT_FALSE(store_.WriteString("A", "k", "new", "C:\\ro.ini"));
  EXPECT_FALSE(store_.WriteString("B", "k", "new", "C:\\ro.ini"));
  EXPECT_EQ(TempPrefix::Read(Host("ro.ini")), "[A]\nk=old\n");
  EXPECT_EQ(Mode(Host("ro.ini")), 0444u);

  // Read-only kept in the stored DOS attributes counts as well.
  TempPrefix::Write(Host("dos.ini"), "[A]\nk=old\n");
  const char ro[] = "0x1";
  if (setxattr(Host("dos.ini").c_str(), "user.DOSATTRIB", ro, 3, 0) == 0) {
    EXPECT_FALSE(store_.WriteString("A", "k", "new", "C:\\dos.ini"));
    EXPECT_EQ(TempPrefix::Read(Host("dos.ini")), "[A]\nk=old\n");
  }
  EXPECT_EQ(FilesOfDriveC(), (std::vector<std::string>{"dos.ini", "ro.ini"}));
}

TEST_F(PosixProfileStoreTest, FileOfAnotherUserIsNotReplaced) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  // The folder lets everybody make files, so a rename would go through; the
  // file itself may only be written by its owner.
  chmod(temp_.path().c_str(), 0755);
  chmod(temp_.drive_c().c_str(), 0777);
  TempPrefix::Write(Host("root.ini"), "[A]\nk=old\n");
  chmod(Host("root.ini").c_str(), 0644);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    bool written = store_.WriteString("A", "k", "new", "C:\\root.ini");
    _exit(written ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(TempPrefix::Read(Host("root.ini")), "[A]\nk=old\n");
}

TEST_F(PosixProfileStoreTest, HiddenAndSystemAttributesSurviveTheRewrite) {
  TempPrefix::Write(Host("h.ini"), "[A]\nk=old\n");
  const char hs[] = "0x6";
  if (setxattr(Host("h.ini").c_str(), "user.DOSATTRIB", hs, 3, 0) != 0) {
    GTEST_SKIP() << "no extended attributes on this file system";
  }
  ASSERT_TRUE(store_.WriteString("A", "k", "new", "C:\\h.ini"));
  EXPECT_EQ(TempPrefix::Read(Host("h.ini")), "[A]\nk=new\n");
  char value[16] = {};
  ssize_t n = getxattr(Host("h.ini").c_str(), "user.DOSATTRIB", value, 15);
  EXPECT_EQ(std::string(value, n > 0 ? n : 0), "0x6");
}

TEST_F(PosixProfileStoreTest, FileLockedByAnotherHolderIsNotWritten) {
  TempPrefix::Write(Host("locked.ini"), "[A]\nk=old\n");
  int fd = open(Host("locked.ini").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  EXPECT_FALSE(store_.WriteString("A", "k", "new", "C:\\locked.ini"));
  close(fd);
  EXPECT_EQ(TempPrefix::Read(Host("locked.ini")), "[A]\nk=old\n");
  EXPECT_TRUE(store_.WriteString("A", "k", "new", "C:\\locked.ini"));
}

TEST_F(PosixProfileStoreTest, BatchWritesBackOnceAndChecksTheFileThen) {
  TempPrefix::Write(Host("b.ini"), "[A]\nk=old\n");
  const ino_t before = Inode(Host("b.ini"));
  store_.BeginBatch("C:\\B.INI");
  EXPECT_TRUE(store_.WriteString("A", "k", "new", "C:\\b.ini"));
  EXPECT_TRUE(store_.WriteString("B", "j", "1", "C:\\b.ini"));
  // Nothing is on disk before the write-back; reads see the batch.
  EXPECT_EQ(TempPrefix::Read(Host("b.ini")), "[A]\nk=old\n");
  EXPECT_EQ(Inode(Host("b.ini")), before);
  EXPECT_EQ(Get("a", "K", "C:\\b.ini"), "new");
  EXPECT_TRUE(store_.EndBatch());
  EXPECT_EQ(TempPrefix::Read(Host("b.ini")), "[A]\nk=new\n[B]\r\nj=1\r\n");

  // A file locked after the batch began refuses the write-back as a whole.
  store_.BeginBatch("C:\\b.ini");
  EXPECT_TRUE(store_.WriteString("A", "k", "lost", "C:\\b.ini"));
  int fd = open(Host("b.ini").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  EXPECT_FALSE(store_.EndBatch());
  close(fd);
  EXPECT_EQ(Get("A", "k", "C:\\b.ini"), "new");

  // A batch on a file that may not be written holds nothing: each write is
  // refused at once, and the write-back has nothing to refuse.
  chmod(Host("b.ini").c_str(), 0444);
  store_.BeginBatch("C:\\b.ini");
  EXPECT_FALSE(store_.WriteString("A", "k", "ro", "C:\\b.ini"));
  EXPECT_TRUE(store_.EndBatch());
  EXPECT_EQ(Get("A", "k", "C:\\b.ini"), "new");
  EXPECT_EQ(FilesOfDriveC(), (std::vector<std::string>{"b.ini"}));
}

// The batch holds entries for a moment only, and a write-back keeps what
// others wrote meanwhile: a value, and the log lines appended when the log
// itself is the ini file merged into.
TEST_F(PosixProfileStoreTest, BatchKeepsWhatOthersWriteMeanwhile) {
  const std::string host = Host("log.ini");
  TempPrefix::Write(host, "[A]\r\nk=old\r\n");
  PosixFileSystem files(drives_);
  store_.BeginBatch("C:\\log.ini");
  EXPECT_TRUE(store_.WriteString("A", "k", "1", "C:\\log.ini"));
  TempPrefix::Write(host, "[A]\r\nk=old\r\n[Other]\r\nv=kept\r\n");
  EXPECT_TRUE(store_.WriteString("A", "j", "2", "C:\\log.ini"));
  files.AppendLine("C:\\log.ini", "log line 1");
  EXPECT_EQ(Get("A", "k", "C:\\log.ini"), "1");
  EXPECT_EQ(Get("Other", "v", "C:\\log.ini"), "kept");
  // Entries older than a second are written back with the next one.
  struct timespec pause = {1, 100000000};
  nanosleep(&pause, nullptr);
  EXPECT_TRUE(store_.WriteString("A", "m", "3", "C:\\log.ini"));
  EXPECT_EQ(store_.BatchPending(), 0u);
  const std::string all =
      "[A]\r\nk=1\r\nj=2\r\nm=3\r\n[Other]\r\nv=kept\r\nlog line 1\r\n";
  EXPECT_EQ(TempPrefix::Read(host), all);
  files.AppendLine("C:\\log.ini", "log line 2");
  EXPECT_TRUE(store_.WriteString("A", "n", "4", "C:\\log.ini"));
  EXPECT_EQ(store_.BatchPending(), 1u);
  files.AppendLine("C:\\log.ini", "log line 3");
  EXPECT_TRUE(store_.EndBatch());
  EXPECT_EQ(TempPrefix::Read(host),
            "[A]\r\nk=1\r\nj=2\r\nm=3\r\nn=4\r\n[Other]\r\nv=kept\r\n"
            "log line 1\r\nlog line 2\r\nlog line 3\r\n");
}

// More than the limit (a sparse file here) reads as unreadable, told once on
// standard error, and is not written.
TEST_F(PosixProfileStoreTest, FileOverTheLimitIsNeitherReadNorWritten) {
  const std::string host = Host("huge.ini");
  TempPrefix::Write(host, "[A]\nk=v\n");
  ASSERT_EQ(truncate(host.c_str(), kSettingsFileLimit + 1), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(Get("A", "k", "C:\\huge.ini"), "");
  EXPECT_EQ(Get("A", "k", "C:\\huge.ini"), "");
  EXPECT_FALSE(store_.WriteString("A", "k", "w", "C:\\huge.ini"));
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_NE(told.find("/huge.ini holds more"), std::string::npos) << told;
  EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
  struct stat st;
  ASSERT_EQ(stat(host.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, static_cast<off_t>(kSettingsFileLimit + 1));
}

TEST_F(PosixProfileStoreTest, FailedWriteKeepsOldContentAndLeavesNoTemporary) {
  std::string old = "[A]\nk=old\n; padding " + std::string(2000, 'p') + "\n";
  TempPrefix::Write(Host("big.ini"), old);
  // The new file cannot be written whole: the file size limit stops it, as
  // a full disk would.
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool written = store_.WriteString("A", "k", "new", "C:\\big.ini");
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(written);
  EXPECT_EQ(TempPrefix::Read(Host("big.ini")), old);
  EXPECT_EQ(FilesOfDriveC(), std::vector<std::string>{"big.ini"});
}

TEST_F(PosixProfileStoreTest, WritesThroughALinkAndRefusesDanglingOnes) {
  mkdir(Host("real").c_str(), 0755);
  TempPrefix::Write(Host("real/target.ini"), "[A]\nk=old\n");
  ASSERT_EQ(symlink("real/target.ini", Host("link.ini").c_str()), 0);
  ASSERT_TRUE(store_.WriteString("A", "k", "new", "C:\\link.ini"));
  struct stat st;
  ASSERT_EQ(lstat(Host("link.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(TempPrefix::Read(Host("real/target.ini")), "[A]\nk=new\n");

  ASSERT_EQ(symlink("real/none.ini", Host("dangling.ini").c_str()), 0);
  EXPECT_FALSE(store_.WriteString("A", "k", "v", "C:\\dangling.ini"));
  EXPECT_FALSE(std::filesystem::exists(Host("real/none.ini")));
}

TEST_F(PosixProfileStoreTest, Utf16FileIsNeverRewritten) {
  std::string bytes("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0", 22);
  TempPrefix::Write(Host("wide.ini"), bytes);
  EXPECT_EQ(Get("A", "k", "C:\\wide.ini"), "v");
  EXPECT_FALSE(store_.WriteString("A", "k", "x", "C:\\wide.ini"));
  EXPECT_EQ(TempPrefix::Read(Host("wide.ini")), bytes);
}

}  // namespace
}  // namespace rolvex
