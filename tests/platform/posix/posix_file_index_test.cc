// Changes made from outside that the caches of the Linux file layer have
// missed before, one case each: the indexed layer is asked first so that
// its caches hold the old disk, then the disk changes behind its back, and
// it must answer as the plain layer does, and act on the disk as it is.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/posix/posix_temp_prefix.h"
#include "platform/posix/posix_two_layers.h"

namespace rolvex {
namespace {

using FileIndexTest = TwoLayersTest;

TEST_F(FileIndexTest, DriveLinkRepointedByARenameOverIt) {
  Put(prefix() + "/drive_old/readme.txt", "old drive");
  Put(prefix() + "/drive_new/windows/win.ini", "[S]\r\nK=new\r\n");
  RepointLink(prefix() + "/dosdevices/c:", "../drive_old");
  ExpectSame([](PosixLayer& l) { return AskDir(l, "C:\\*.*", 31); }, "warm");
  ExpectSameAbout("C:\\Windows");

  RepointLink(prefix() + "/dosdevices/c:", "../drive_new");
  ExpectSame([](PosixLayer& l) { return AskDir(l, "C:\\*.*", 31); }, "root");
  ExpectSameAbout("C:\\Windows");
  EXPECT_EQ(ErrorNumberOf([&] { indexed().fs.MkDir("C:\\Windows"); }),
            kErrPathFileAccess);
  EXPECT_EQ(HostNames(prefix() + "/drive_new"), "windows|");
  indexed().fs.AppendLine("C:\\Windows\\setup.log", "to the new drive");
  EXPECT_EQ(TempPrefix::Read(prefix() + "/drive_new/windows/setup.log"),
            "to the new drive\r\n");
  EXPECT_EQ(HostNames(prefix() + "/drive_old"), "readme.txt|");
  EXPECT_EQ(
      indexed().profiles.GetString("S", "K", "", 64, "C:\\WINDOWS\\win.ini"),
      "new");
}

TEST_F(FileIndexTest, DriveFolderRemovedAndMadeAgainWhileHeldOpen) {
  Put(C("Logs/run.log"), "one\r\n");
  indexed().fs.AppendLine("C:\\Logs\\run.log", "two");
  ExpectSameAbout("C:\\Logs\\run.log");
  // Someone else still holds the old folder, so its inode lives on.
  int held = open((prefix() + "/drive_c").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(held, 0);

  std::filesystem::remove_all(prefix() + "/drive_c");
  Put(prefix() + "/drive_c/logs/run.log", "new\r\n");
  ExpectSameAbout("C:\\Logs\\run.log");
  EXPECT_EQ(ErrorNumberOf([&] { indexed().fs.MkDir("C:\\Logs"); }),
            kErrPathFileAccess);
  indexed().fs.AppendLine("C:\\Logs\\run.log", "three");
  EXPECT_EQ(HostNames(prefix() + "/drive_c"), "logs|");
  EXPECT_EQ(TempPrefix::Read(C("logs/run.log")), "new\r\nthree\r\n");
  close(held);
}

TEST_F(FileIndexTest, PrefixMovedAsideAndACopyPutInItsPlace) {
  Put(C("Logs/run.log"), "one\r\n");
  Put(C("App/app.ini"), "[S]\r\nK=old\r\n");
  ExpectSameAbout("C:\\App\\app.ini");
  indexed().fs.AppendLine("C:\\Logs\\run.log", "two");
  EXPECT_EQ(AskProfile(indexed(), "C:\\App\\app.ini"), "old");

  std::string aside = temp_.path() + "/prefix.old";
  ASSERT_EQ(rename(prefix().c_str(), aside.c_str()), 0);
  std::filesystem::copy(aside, prefix(),
                        std::filesystem::copy_options::recursive |
                            std::filesystem::copy_options::copy_symlinks);
  TempPrefix::Write(C("App/app.ini"), "[S]\r\nK=copy\r\n");
  SetTime(C("App/app.ini"), 1600000000);

  ExpectSameAbout("C:\\App\\app.ini");
  ExpectSame([](PosixLayer& l) { return AskProfile(l, "C:\\App\\app.ini"); },
             "GetString");
  indexed().fs.AppendLine("C:\\Logs\\run.log", "three");
  EXPECT_EQ(TempPrefix::Read(C("Logs/run.log")), "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(TempPrefix::Read(aside + "/drive_c/Logs/run.log"),
            "one\r\ntwo\r\n");
}

TEST_F(FileIndexTest, EmptyFolderReplacedInOneStep) {
  std::filesystem::create_directories(C("B"));
  ExpectSame([](PosixLayer& l) { return AskDir(l, "C:\\B\\*.*", 31); }, "warm");
  ExpectSameAbout("C:\\B\\a2.txt");

  // mv -T: a full folder renamed over the empty one.
  Put(C("B.new/A2.TXT"), "fresh");
  ASSERT_EQ(rename(C("B.new").c_str(), C("B").c_str()), 0);
  ExpectSame([](PosixLayer& l) { return AskDir(l, "C:\\B\\*.*", 31); }, "B");
  ExpectSameAbout("C:\\B\\a2.txt");
  EXPECT_EQ(AskContent(indexed(), "C:\\B\\a2.txt"), "fresh,");
}

TEST_F(FileIndexTest, TwoNamesSwappedInOneStep) {
  Put(C("Sys/QUELT.DLL"), "quelt");
  Put(C("Sys/Other/inside.txt"), "inside");
  Put(C("Sys/other.dll"), "other");
  Put(C("Pack/quelt.dll"), "from the pack");
  ExpectSameAbout("C:\\Sys\\quelt.dll");
  ExpectSameAbout("C:\\Sys\\other");

  // Two files: each name stays, the contents change places.
  ASSERT_EQ(ExchangeNames(C("Sys/other.dll"), C("Sys/QUELT.DLL")), 0);
  ExpectSameAbout("C:\\Sys\\quelt.dll");
  ExpectSameAbout("C:\\Sys\\other.dll");
  indexed().fs.FileCopy("C:\\Pack\\quelt.dll", "C:\\Sys\\quelt.dll");
  EXPECT_EQ(HostNames(C("Sys")), "Other|QUELT.DLL|other.dll|");
  EXPECT_EQ(TempPrefix::Read(C("Sys/QUELT.DLL")), "from the pack");
  // A file and a folder: each name now stands for the other kind.
  ASSERT_EQ(ExchangeNames(C("Sys/QUELT.DLL"), C("Sys/Other")), 0);
  ExpectSameAbout("C:\\Sys\\quelt.dll");
  ExpectSameAbout("C:\\Sys\\other");
  ExpectSameAbout("C:\\Sys\\quelt.dll\\inside.txt");
}

TEST_F(FileIndexTest, FileChangedThroughASecondHardLinkInItsFolder) {
  Put(C("Cfg/app.ini"), "[S]\r\nK=old\r\n");
  SetTime(C("Cfg/app.ini"), 1500000000);
  ExpectSameAbout("C:\\Cfg\\app.ini");
  EXPECT_EQ(AskProfile(indexed(), "C:\\Cfg\\app.ini"), "old");

  ASSERT_EQ(link(C("Cfg/app.ini").c_str(), C("Cfg/copy.ini").c_str()), 0);
  TempPrefix::Write(C("Cfg/copy.ini"), "[S]\r\nK=edited\r\n");
  SetTime(C("Cfg/copy.ini"), 1600000000);
  ExpectSameAbout("C:\\Cfg\\app.ini");
  EXPECT_EQ(AskProfile(indexed(), "C:\\Cfg\\app.ini"), "edited");
  EXPECT_EQ(AskTime(indexed(), "C:\\Cfg\\app.ini"), "1600000000");
}

TEST_F(FileIndexTest, HiddenMountPointShownAgain) {
  std::string mount_point = C("Mnt");
  std::filesystem::create_directories(mount_point);
  // A namespace of the child's own, so that nothing stays mounted; the
  // child's exit status names the first answer that was wrong.
  int result = RunInChild([&] {
    if (unshare(CLONE_NEWNS) != 0) return 200;
    mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (mount("tmpfs", mount_point.c_str(), "tmpfs", 0, nullptr) != 0) {
      return 200;
    }
    if (setxattr(mount_point.c_str(), "user.DOSATTRIB", "0x2", 3, 0) != 0) {
      return 201;
    }
    if (AskAttr(indexed(), "C:\\Mnt") != AskAttr(plain(), "C:\\Mnt")) return 1;
    if (AskDir(indexed(), "C:\\*.*", 16) != AskDir(plain(), "C:\\*.*", 16)) {
      return 2;
    }
    setxattr(mount_point.c_str(), "user.DOSATTRIB", "0x0", 3, 0);
    if (AskAttr(indexed(), "C:\\Mnt") != AskAttr(plain(), "C:\\Mnt")) return 3;
    if (AskDir(indexed(), "C:\\*.*", 16) != AskDir(plain(), "C:\\*.*", 16)) {
      return 4;
    }
    return 0;
  });
  if (result == 200) GTEST_SKIP() << "no right to mount a tmpfs here";
  if (result == 201) GTEST_SKIP() << "no user attributes on tmpfs here";
  EXPECT_EQ(result, 0) << "1-2: hidden mount point; 3-4: shown again";
}

}  // namespace
}  // namespace rolvex
