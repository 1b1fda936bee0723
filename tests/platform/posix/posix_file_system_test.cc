#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <fstream>
#include <string>

#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_file_probe.h"
#include "platform/posix/posix_temp_prefix.h"
#include "platform/posix/posix_temporary.h"

namespace rolvex {
namespace {

class FileSystemTest : public ::testing::Test {
 protected:
  FileSystemTest() : drives_(temp_.path()), fs_(drives_) {}

  // Host path below drive C:.
  std::string C(const std::string& relative) const {
    return temp_.drive_c() + "/" + relative;
  }
  void SetMtime(const std::string& host, time_t seconds, long nanos) {
    struct timespec times[2] = {{seconds, nanos}, {seconds, nanos}};
    ASSERT_EQ(utimensat(AT_FDCWD, host.c_str(), times, 0), 0);
  }
  static mode_t ModeOf(const std::string& host) {
    struct stat st;
    stat(host.c_str(), &st);
    return st.st_mode & 07777;
  }
  // Names in a host folder that start as the temporary copies do.
  static int TemporaryFilesIn(const std::string& folder) {
    int count = 0;
    DIR* dir = opendir(folder.c_str());
    while (struct dirent* e = readdir(dir)) {
      if (std::string(e->d_name).rfind(".~rolvex-", 0) == 0) ++count;
    }
    closedir(dir);
    return count;
  }

  TempPrefix temp_;
  DriveModel drives_;
  PosixFileSystem fs_;
};

TEST_F(FileSystemTest, AttributesReadFromPermissionsNamesAndDosAttrib) {
  TempPrefix::Write(C("plain"), "");
  TempPrefix::Write(C("ro"), "");
  chmod(C("ro").c_str(), 0444);
  TempPrefix::Write(C(".hidden"), "");
  TempPrefix::Write(C("sys"), "");
  setxattr(C("sys").c_str(), kDosAttribName, "0x6", 3, 0);
  mkdir(C("Dir").c_str(), 0755);
  setxattr(C("Dir").c_str(), kDosAttribName, "0x1", 3, 0);
  EXPECT_EQ(fs_.GetAttr("C:\\PLAIN"), 0);
  EXPECT_EQ(fs_.GetAttr("C:\\ro"), kAttrReadOnly);
  EXPECT_EQ(fs_.GetAttr("C:\\.hidden"), kAttrHidden);
  EXPECT_EQ(fs_.GetAttr("C:\\sys"), kAttrHidden | kAttrSystem);
  EXPECT_EQ(fs_.GetAttr("C:\\dir"), kAttrDirectory | kAttrReadOnly);
  EXPECT_EQ(fs_.GetAttr("C:\\"), kAttrDirectory);
  // Links are reported as junctions, so a tree listing does not enter them.
  symlink("Dir", C("LinkedDir").c_str());
  EXPECT_EQ(fs_.GetAttr("C:\\LinkedDir"),
            kAttrDirectory | kAttrReadOnly | kAttrReparsePoint);
  EXPECT_EQ(ErrorNumberOf([&] { fs_.GetAttr("C:\\none"); }), kErrFileNotFound);
  // The stored forms other programs write.
  EXPECT_EQ(ParseDosAttrib("0x22", 4), 0x22);
  EXPECT_EQ(ParseDosAttrib("0x20\0\x03\x00\x01", 8), 0x20);  // Samba blob
  EXPECT_EQ(ParseDosAttrib("34", 2), 34);
  EXPECT_EQ(ParseDosAttrib("\x03\x00\x11", 3), 0);
}

TEST_F(FileSystemTest, SetAttrStoresBitsAndNormalRestoresWriting) {
  TempPrefix::Write(C("f"), "x");
  chmod(C("f").c_str(), 0644);
  fs_.SetAttr("C:\\F", kAttrReadOnly | kAttrHidden | kAttrSystem |
                           kAttrArchive | kAttrDirectory);
  EXPECT_EQ(fs_.GetAttr("C:\\f"),
            kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
  EXPECT_EQ(ModeOf(C("f")), 0444);
  fs_.SetAttr("C:\\f", 0);
  EXPECT_EQ(fs_.GetAttr("C:\\f"), 0);
  EXPECT_EQ(ModeOf(C("f")) & 0200, 0200);
  EXPECT_LT(getxattr(C("f").c_str(), kDosAttribName, nullptr, 0), 0);

  // A folder's read-only is stored; its write bits stay.
  mkdir(C("d").c_str(), 0755);
  fs_.SetAttr("C:\\d", kAttrReadOnly | kAttrHidden);
  EXPECT_EQ(fs_.GetAttr("C:\\d"), kAttrDirectory | kAttrReadOnly | kAttrHidden);
  EXPECT_EQ(ModeOf(C("d")), 0755);
  fs_.SetAttr("C:\\d", 0);
  EXPECT_EQ(fs_.GetAttr("C:\\d"), kAttrDirectory);
}

// What the layer learnt of a file is kept between its questions; every
// change made since by anyone must show in the next one.
TEST_F(FileSystemTest, SeesEveryChangeOfAFileItHasLookedAt) {
  mkdir(C("Dir").c_str(), 0755);
  const std::string file = C("Dir/File.dat");
  TempPrefix::Write(file, "old");
  SetMtime(file, 1000000000, 0);
  auto look = [&] {
    return std::to_string(fs_.GetAttr("C:\\dir\\file.dat")) + " " +
           std::to_string(fs_.DateLastModified("C:\\Dir\\FILE.dat")) + " " +
           fs_.Dir("C:\\Dir\\File.dat", 0) + "|" + fs_.Dir("C:\\Dir\\*.dat", 0);
  };
  EXPECT_EQ(look(), "0 1000000000 File.dat|File.dat");
  chmod(file.c_str(), 0444);
  EXPECT_EQ(look(), "1 1000000000 File.dat|File.dat");
  chmod(file.c_str(), 0644);
  SetMtime(file, 1100000000, 0);
  EXPECT_EQ(look(), "0 1100000000 File.dat|File.dat");
  setxattr(file.c_str(), kDosAttribName, "0x2", 3, 0);
  EXPECT_EQ(look(), "2 1100000000 |");
  removexattr(file.c_str(), kDosAttribName);
  EXPECT_EQ(look(), "0 1100000000 File.dat|File.dat");
  // Written in place: the time moves on.
  { std::ofstream(file, std::ios::app) << "more"; }
  struct stat st;
  stat(file.c_str(), &st);
  EXPECT_EQ(fs_.DateLastModified("C:\\Dir\\File.dat"), st.st_mtim.tv_sec);
  // Replaced by another file, then by a folder, then gone.
  TempPrefix::Write(C("Dir/other"), "");
  chmod(C("Dir/other").c_str(), 0444);
  rename(C("Dir/other").c_str(), file.c_str());
  EXPECT_EQ(fs_.GetAttr("C:\\Dir\\File.dat"), kAttrReadOnly);
  unlink(file.c_str());
  mkdir(file.c_str(), 0755);
  EXPECT_EQ(fs_.GetAttr("C:\\Dir\\File.dat"), kAttrDirectory);
  rmdir(file.c_str());
  EXPECT_EQ(ErrorNumberOf([&] { fs_.GetAttr("C:\\Dir\\File.dat"); }),
            kErrFileNotFound);
  EXPECT_EQ(fs_.Dir("C:\\Dir\\*.*", 0), "");
  // A file with a second hard link can change through the other folder,
  // where no watch of this folder sees it.
  mkdir(C("Elsewhere").c_str(), 0755);
  TempPrefix::Write(file, "");
  link(file.c_str(), C("Elsewhere/Twin").c_str());
  EXPECT_EQ(fs_.GetAttr("C:\\Dir\\File.dat"), 0);
  chmod(C("Elsewhere/Twin").c_str(), 0444);
  EXPECT_EQ(fs_.GetAttr("C:\\Dir\\File.dat"), kAttrReadOnly);
}

TEST_F(FileSystemTest, CopyKeepsPermissionsAndTheTimeToTheNanosecond) {
  mkdir(C("Dst").c_str(), 0755);
  TempPrefix::Write(C("a.dll"), "new contents");
  chmod(C("a.dll").c_str(), 0750);
  SetMtime(C("a.dll"), 1600000000, 123456789);
  fs_.FileCopy("C:\\A.DLL", "C:\\DST\\Copy.DLL");
  EXPECT_EQ(ModeOf(C("Dst/Copy.DLL")), 0750);
  struct stat st;
  stat(C("Dst/Copy.DLL").c_str(), &st);
  EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
  EXPECT_EQ(TemporaryFilesIn(C("Dst")), 0);
  // Times are whole seconds to the installer.
  SetMtime(C("a.dll"), 1234567890, 999999999);
  EXPECT_EQ(fs_.DateLastModified("C:\\a.dll"), 1234567890);
}

// A copy staged for the next restart: beside the target (a Windows path in
// its folder), the source's bytes and time, the target untouched, and a
// name the sweep of stale temporaries never takes.
TEST_F(FileSystemTest, AStagedCopyWaitsBesideItsTarget) {
  mkdir(C("Sys").c_str(), 0755);
  TempPrefix::Write(C("a.dll"), "new");
  SetMtime(C("a.dll"), 1600000000, 0);
  TempPrefix::Write(C("Sys/a.dll"), "old");
  const std::string staged = fs_.StageForRestart("C:\\a.dll", "C:\\SYS\\a.dll");
  ASSERT_EQ(staged.rfind("C:\\SYS\\.~rolvex-restart-", 0), 0u) << staged;
  EXPECT_EQ(TempPrefix::Read(drives_.ToHost(staged)), "new");
  EXPECT_EQ(fs_.DateLastModified(staged), 1600000000);
  EXPECT_EQ(TempPrefix::Read(C("Sys/a.dll")), "old");
  SweepStaleTemporaries(C("Sys"));
  EXPECT_EQ(TemporaryFilesIn(C("Sys")), 1);
}

TEST_F(FileSystemTest, OnlyTheStoredHiddenBitProtectsADotNamedTarget) {
  // A dot name reads as hidden, yet a pack must be able to replace a
  // dot-named file it installed before.
  TempPrefix::Write(C("src"), "new");
  TempPrefix::Write(C(".profile"), "old");
  ASSERT_EQ(fs_.GetAttr("C:\\.profile"), kAttrHidden);
  fs_.FileCopy("C:\\src", "C:\\.profile");
  EXPECT_EQ(TempPrefix::Read(C(".profile")), "new");
  setxattr(C(".profile").c_str(), kDosAttribName, "0x2", 3, 0);
  TempPrefix::Write(C("src"), "newer");
  EXPECT_EQ(ErrorNumberOf([&] { fs_.FileCopy("C:\\src", "C:\\.profile"); }),
            kErrPermissionDenied);
  EXPECT_EQ(TempPrefix::Read(C(".profile")), "new");
}

TEST_F(FileSystemTest, CopyRefusesWhatNoFileCanBeCopiedFromOrInto) {
  TempPrefix::Write(C("src"), "new");
  mkdir(C("Dir").c_str(), 0755);
  EXPECT_EQ(ErrorNumberOf([&] { fs_.FileCopy("C:\\Dir", "C:\\x"); }),
            kErrPathFileAccess);
  mkfifo(C("pipe").c_str(), 0644);  // a read of it could wait for ever
  symlink("/dev/null", C("null").c_str());
  for (const char* other : {"C:\\pipe", "C:\\null"}) {
    EXPECT_EQ(ErrorNumberOf([&] { fs_.FileCopy(other, "C:\\x"); }),
              kErrPathFileAccess);
    // Neither opened nor replaced as a target, in a run or a preview.
    EXPECT_EQ(ErrorNumberOf([&] { fs_.FileCopy("C:\\src", other); }),
              kErrPathFileAccess);
    EXPECT_EQ(ErrorNumberOf([&] { fs_.AppendLine(other, "x"); }),
              kErrPathFileAccess);
    EXPECT_TRUE(PosixFileProbe(drives_).NotAFile(other));
  }
  EXPECT_FALSE(PosixFileProbe(drives_).NotAFile("C:\\src"));
  struct stat st;
  ASSERT_EQ(lstat(C("pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(TemporaryFilesIn(temp_.drive_c()), 0);
}

TEST_F(FileSystemTest, TextFilesThatCannotBeWrittenOrRead) {
  TempPrefix::Write(C("ro"), "");
  chmod(C("ro").c_str(), 0444);
  EXPECT_EQ(ErrorNumberOf([&] { fs_.AppendLine("C:\\ro", "x"); }),
            kErrPermissionDenied);
  mkdir(C("D").c_str(), 0755);
  EXPECT_EQ(ErrorNumberOf([&] { fs_.AppendLine("C:\\D", "x"); }),
            kErrPathFileAccess);
  EXPECT_EQ(ErrorNumberOf([&] { fs_.OpenForInput("C:\\D"); }),
            kErrPathFileAccess);
  mkfifo(C("pipe").c_str(), 0644);  // must not wait for a writer
  EXPECT_EQ(ErrorNumberOf([&] { fs_.OpenForInput("C:\\pipe"); }),
            kErrPathFileAccess);
}

TEST_F(FileSystemTest, FileSystemWithoutExtendedAttributes) {
  // ramfs keeps no user attributes; mounted in a namespace of the child's
  // own so that nothing stays mounted.
  std::string plain = C("Plain");
  mkdir(plain.c_str(), 0755);
  int result = RunInChild([&] {
    if (unshare(CLONE_NEWNS) != 0) return 200;
    mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (mount("ramfs", plain.c_str(), "ramfs", 0, nullptr) != 0) return 200;
    TempPrefix::Write(plain + "/f", "x");
    TempPrefix::Write(plain + "/.dot", "x");
    if (fs_.GetAttr("C:\\Plain\\f") != 0) return 1;
    if (fs_.GetAttr("C:\\Plain\\.dot") != kAttrHidden) return 2;
    if (ErrorNumberOf([&] { fs_.SetAttr("C:\\Plain\\f", kAttrHidden); }) !=
        kErrPermissionDenied) {
      return 3;
    }
    // Read-only needs no extended attribute; archive alone is let go.
    fs_.SetAttr("C:\\Plain\\f", kAttrReadOnly | kAttrArchive);
    if (fs_.GetAttr("C:\\Plain\\f") != kAttrReadOnly) return 4;
    fs_.SetAttr("C:\\Plain\\f", 0);
    if (fs_.GetAttr("C:\\Plain\\f") != 0) return 5;
    if (fs_.Dir("C:\\Plain\\*.*", 0) != "f") return 6;
    fs_.FileCopy("C:\\Plain\\f", "C:\\Plain\\g");
    return 0;
  });
  if (result == 200) GTEST_SKIP() << "no right to mount a ramfs here";
  EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace rolvex
