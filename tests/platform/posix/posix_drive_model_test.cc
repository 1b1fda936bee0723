#include "platform/posix/posix_drive_model.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/posix_prefix_owner.h"
#include "platform/posix/posix_temp_prefix.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

int ErrorOf(const DriveModel& model, const std::string& path) {
  try {
    model.ToHost(path);
  } catch (const RunError& e) {
    return e.number();
  }
  return 0;
}

TEST(DriveModelTest, LaysOutANewPrefixWithDriveC) {
  TempPrefix temp;
  std::string prefix = temp.path() + "/deep/er";
  DriveModel model(prefix);
  char buffer[256];
  ssize_t n = readlink((prefix + "/dosdevices/c:").c_str(), buffer, 255);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(buffer, n), "../drive_c");
  struct stat st;
  EXPECT_EQ(stat((prefix + "/drive_c").c_str(), &st), 0);
  EXPECT_EQ(model.ToHost("C:\\"), prefix + "/dosdevices/c:");
  EXPECT_EQ(model.ToHost("c:"), prefix + "/dosdevices/c:");
}

TEST(DriveModelTest, PrefixFromTheEnvironment) {
  TempPrefix temp;
  const char* old_prefix = getenv("ROLVEX_PREFIX");
  const char* old_home = getenv("HOME");
  std::string saved_prefix = old_prefix ? old_prefix : "";
  std::string saved_home = old_home ? old_home : "";
  setenv("ROLVEX_PREFIX", (temp.path() + "/p").c_str(), 1);
  EXPECT_EQ(DriveModel::FromEnvironment().prefix(), temp.path() + "/p");
  unsetenv("ROLVEX_PREFIX");
  setenv("HOME", temp.path().c_str(), 1);
  DriveModel model = DriveModel::FromEnvironment();
  EXPECT_EQ(model.prefix(), temp.path() + "/.local/share/rolvex");
  EXPECT_EQ(model.ToWindows(model.prefix() + "/drive_c/x"), "C:\\x");
  // Without HOME, the password file's home: never a shared folder such as
  // /tmp, where another user could have laid the prefix out beforehand.
  unsetenv("HOME");
  if (const struct passwd* pw = getpwuid(getuid()); pw != nullptr) {
    EXPECT_EQ(PrefixFromEnvironment(),
              std::string(pw->pw_dir) + "/.local/share/rolvex");
  }
  if (old_prefix) setenv("ROLVEX_PREFIX", saved_prefix.c_str(), 1);
  if (old_home) setenv("HOME", saved_home.c_str(), 1);
}

TEST(DriveModelTest, MatchesComponentsWithoutRegardToCaseExactFirst) {
  TempPrefix temp;
  DriveModel model(temp.path());
  std::string c = temp.path() + "/dosdevices/c:";
  mkdir((temp.drive_c() + "/Windows").c_str(), 0755);
  mkdir((temp.drive_c() + "/Windows/Fonts").c_str(), 0755);
  TempPrefix::Write(temp.drive_c() + "/Rolvex.ini", "");
  EXPECT_EQ(model.ToHost("C:\\WINDOWS\\fonts"), c + "/Windows/Fonts");
  EXPECT_EQ(model.ToHost("C:\\ROLVEX.INI"), c + "/Rolvex.ini");
  // Missing components keep the case given, also below a missing one.
  EXPECT_EQ(model.ToHost("C:\\windows\\New\\Sub\\A.txt"),
            c + "/Windows/New/Sub/A.txt");

  // Names that differ only in case: exact first, else first in byte order.
  TempPrefix::Write(temp.drive_c() + "/readme", "");
  TempPrefix::Write(temp.drive_c() + "/README", "");
  TempPrefix::Write(temp.drive_c() + "/ReadMe", "");
  EXPECT_EQ(model.ToHost("C:\\readme"), c + "/readme");
  EXPECT_EQ(model.ToHost("C:\\ReadMe"), c + "/ReadMe");
  EXPECT_EQ(model.ToHost("C:\\rEADME"), c + "/README");
}

// The folders are indexed once; every change on the disk, whoever makes it,
// must show in the next mapping.
TEST(DriveModelTest, SeesEveryChangeOfAnIndexedFolder) {
  TempPrefix temp;
  DriveModel model(temp.path());
  const std::string c = temp.path() + "/dosdevices/c:";
  const std::string d = temp.drive_c();
  mkdir((d + "/Data").c_str(), 0755);
  TempPrefix::Write(d + "/Data/File.txt", "");
  EXPECT_EQ(model.ToHost("C:\\data\\file.txt"), c + "/Data/File.txt");
  EXPECT_EQ(model.ToHost("C:\\New.txt"), c + "/New.txt");

  // A name made after a miss, in another case; then gone again.
  TempPrefix::Write(d + "/NEW.TXT", "");
  EXPECT_EQ(model.ToHost("C:\\New.txt"), c + "/NEW.TXT");
  unlink((d + "/NEW.TXT").c_str());
  EXPECT_EQ(model.ToHost("C:\\New.txt"), c + "/New.txt");

  // The folder renamed away and another one of that name made: nothing of
  // the old folder's index may be used for the new one.
  rename((d + "/Data").c_str(), (d + "/Old").c_str());
  mkdir((d + "/DATA").c_str(), 0755);
  TempPrefix::Write(d + "/DATA/file.TXT", "");
  EXPECT_EQ(model.ToHost("C:\\Data\\File.txt"), c + "/DATA/file.TXT");
  EXPECT_EQ(model.ToHost("C:\\Old\\FILE.TXT"), c + "/Old/File.txt");

  // A file where a folder was: the way is blocked.
  rename((d + "/DATA").c_str(), (d + "/Gone").c_str());
  TempPrefix::Write(d + "/DATA", "");
  EXPECT_EQ(ErrorNumberOf([&] { model.ToHost("C:\\Data\\File.txt"); }),
            kErrPathNotFound);

  // A link on the way turned to another folder, and the drive itself
  // turned to another folder.
  mkdir((d + "/A").c_str(), 0755);
  mkdir((d + "/B").c_str(), 0755);
  TempPrefix::Write(d + "/A/x.txt", "");
  TempPrefix::Write(d + "/B/X.txt", "");
  symlink("A", (d + "/Link").c_str());
  EXPECT_EQ(model.ToHost("C:\\link\\X.TXT"), c + "/Link/x.txt");
  unlink((d + "/Link").c_str());
  symlink("B", (d + "/Link").c_str());
  EXPECT_EQ(model.ToHost("C:\\link\\X.TXT"), c + "/Link/X.txt");
  const std::string drive = temp.path() + "/dosdevices/c:";
  unlink(drive.c_str());
  symlink("../drive_c/B", drive.c_str());
  EXPECT_EQ(model.ToHost("C:\\x.TXT"), c + "/X.txt");
}

TEST(DriveModelTest, DotsSlashesAndSeparators) {
  TempPrefix temp;
  DriveModel model(temp.path());
  std::string c = temp.path() + "/dosdevices/c:";
  mkdir((temp.drive_c() + "/a").c_str(), 0755);
  // The same answers from a model that knows the folder "a" already.
  DriveModel knowing(temp.path());
  knowing.ToHost("C:\\a\\x");
  for (DriveModel* m : {&model, &knowing}) {
    EXPECT_EQ(m->ToHost("C:\\a\\.\\\\b"), c + "/a/b");
    EXPECT_EQ(m->ToHost("C:\\a\\..\\b"), c + "/b");
    EXPECT_EQ(m->ToHost("C:\\a\\.."), c);
    EXPECT_EQ(m->ToHost("C:\\a\\...x"), c + "/a/...x");
    // ".." never leaves the drive's folder.
    EXPECT_EQ(m->ToHost("C:\\..\\..\\etc\\passwd"), c + "/etc/passwd");
    EXPECT_EQ(m->ToHost("C:\\a\\"), c + "/a");
    // "/" separates as "\\" does; the refused characters are bad names.
    EXPECT_EQ(m->ToHost("C:\\a/../b/x."), c + "/b/x");
    EXPECT_EQ(ErrorOf(*m, "C:\\a\\b*.txt"), kErrBadFileName);
    EXPECT_EQ(ErrorOf(*m, std::string("C:\\a\x01", 5)), kErrBadFileName);
  }
}

TEST(DriveModelTest, HostNamesWindowsRefusesAreReachableButNotMade) {
  // A Linux folder may be called "SP: "1"" or hold "what?.txt": the service
  // pack must still be readable from there. Only a name that does not exist
  // yet is refused, as Windows refuses to make it.
  TempPrefix temp;
  DriveModel model(temp.path());
  std::string c = temp.path() + "/dosdevices/c:";
  mkdir((temp.drive_c() + "/SP: \"1\"").c_str(), 0755);
  TempPrefix::Write(temp.drive_c() + "/SP: \"1\"/what?.txt", "");
  EXPECT_EQ(model.ToHost("C:\\sp: \"1\"\\WHAT?.TXT"),
            c + "/SP: \"1\"/what?.txt");
  EXPECT_EQ(model.ToWindows(model.ToHost("C:\\SP: \"1\"")), "C:\\SP: \"1\"");
  EXPECT_EQ(ErrorOf(model, "C:\\SP: \"1\"\\new|file.txt"), kErrBadFileName);
  EXPECT_EQ(ErrorOf(model, "C:\\missing\\what?.txt"), kErrBadFileName);
}

TEST(DriveModelTest, PathsThatNameNoUsableDriveAreNotFound) {
  TempPrefix temp;
  DriveModel model(temp.path());
  EXPECT_EQ(ErrorOf(model, "\\\\server\\share\\x"), kErrPathNotFound);
  EXPECT_EQ(ErrorOf(model, ""), kErrPathNotFound);
  EXPECT_EQ(ErrorOf(model, "D:\\x"), kErrPathNotFound);
  // Z: falls back to the host root while there is no z: link.
  EXPECT_EQ(model.ToHost("Z:\\tmp"), "/tmp");
  EXPECT_EQ(model.ToHost("z:\\"), "/");
  std::string d = temp.path() + "/other";
  mkdir(d.c_str(), 0755);
  symlink(d.c_str(), (temp.path() + "/dosdevices/d:").c_str());
  symlink(d.c_str(), (temp.path() + "/dosdevices/z:").c_str());
  EXPECT_EQ(model.ToHost("d:\\x"), temp.path() + "/dosdevices/d:/x");
  EXPECT_EQ(model.ToHost("Z:\\tmp"), temp.path() + "/dosdevices/z:/tmp");
}

TEST(DriveModelTest, AFileWhereAFolderIsNeededIsPathNotFound) {
  TempPrefix temp;
  DriveModel model(temp.path());
  TempPrefix::Write(temp.drive_c() + "/file", "x");
  EXPECT_EQ(ErrorOf(model, "C:\\file\\x.txt"), kErrPathNotFound);
  EXPECT_EQ(ErrorOf(model, "C:\\FILE\\"), kErrPathNotFound);
  EXPECT_EQ(model.ToHost("C:\\FILE"), temp.path() + "/dosdevices/c:/file");
}

TEST(DriveModelTest, NamesHostPathsAsWindowsPaths) {
  TempPrefix temp;
  DriveModel model(temp.path());
  mkdir((temp.drive_c() + "/Pack").c_str(), 0755);
  EXPECT_EQ(model.ToWindows(temp.drive_c()), "C:\\");
  EXPECT_EQ(model.ToWindows(temp.drive_c() + "/Pack"), "C:\\Pack");
  EXPECT_EQ(model.ToWindows(temp.drive_c() + "/Pack/New/x.txt"),
            "C:\\Pack\\New\\x.txt");
  EXPECT_EQ(model.ToWindows(temp.path() + "/dosdevices/c:/Pack"), "C:\\Pack");
  // A nested drive is the longer prefix and wins.
  symlink("../drive_c/Pack", (temp.path() + "/dosdevices/p:").c_str());
  EXPECT_EQ(model.ToWindows(temp.drive_c() + "/Pack/x"), "P:\\x");
  // Outside every drive: Z:.
  char real[PATH_MAX];
  ASSERT_NE(realpath(temp.path().c_str(), real), nullptr);
  std::string expected = std::string("Z:") + real + "\\dosdevices";
  for (char& ch : expected) ch = ch == '/' ? '\\' : ch;
  EXPECT_EQ(model.ToWindows(temp.path() + "/dosdevices"), expected);
  EXPECT_EQ(model.ToWindows("/"), "Z:\\");
  // A folder reached through a link keeps the name it was reached by.
  mkdir((temp.drive_c() + "/Media").c_str(), 0755);
  mkdir((temp.drive_c() + "/Media/SP7").c_str(), 0755);
  symlink("Media/SP7", (temp.drive_c() + "/ServicePacks").c_str());
  EXPECT_EQ(model.ToWindows(temp.drive_c() + "/ServicePacks"),
            "C:\\ServicePacks");
  // A relative Windows path is taken from the current folder.
  const std::string cwd = std::filesystem::current_path();
  ASSERT_EQ(chdir((temp.drive_c() + "/Media").c_str()), 0);
  EXPECT_EQ(model.ToHost("sp7\\..\\log.txt"),
            temp.path() + "/dosdevices/c:/Media/log.txt");
  EXPECT_EQ(model.ToHost("C:x"), temp.path() + "/dosdevices/c:/Media/x");
  ASSERT_EQ(chdir(cwd.c_str()), 0);
}

TEST(DriveModelTest, ProgramDirNamesTheTestProgramsFolder) {
  TempPrefix temp;
  DriveModel model(temp.path());
  std::string dir = model.ProgramDir();
  std::string exe = std::filesystem::canonical("/proc/self/exe").parent_path();
  std::string expected = "Z:" + exe;
  for (char& ch : expected) ch = ch == '/' ? '\\' : ch;
  EXPECT_EQ(dir, expected);
  EXPECT_NE(dir.back(), '\\');
}

}  // namespace
}  // namespace rolvex
