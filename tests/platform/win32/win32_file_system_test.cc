#include "platform/win32/win32_file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/run_error.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_temp_folder.h"

namespace rolvex {
namespace {

using ::testing::ElementsAre;

// 2001-02-03 04:05:06 UTC.
constexpr FileTime kSomeTime = 981173106;

// Runs `call` and gives the number of the RunError it throws, 0 if none.
template <typename Call>
int ErrorOf(Call call) {
  try {
    call();
  } catch (const RunError& e) {
    return e.number();
  }
  return 0;
}

std::vector<std::string> AllNames(Win32FileSystem& fs, const std::string& path,
                                  int mask) {
  std::vector<std::string> names;
  for (std::string n = fs.Dir(path, mask); !n.empty(); n = fs.DirNext()) {
    names.push_back(n);
  }
  return names;
}

void SetWriteTime(const std::string& path, std::uint64_t filetime) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  FILETIME ft{static_cast<DWORD>(filetime), static_cast<DWORD>(filetime >> 32)};
  SetFileTime(file, nullptr, nullptr, &ft);
  CloseHandle(file);
}

// Holds a file open without sharing, as a running program holds its image.
class Locked {
 public:
  explicit Locked(const std::string& path)
      : file_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr)) {}
  ~Locked() { CloseHandle(file_); }
  bool ok() const { return file_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE file_;
};

class Win32FileSystemTest : public ::testing::Test {
 protected:
  Win32TempFolder dir_;
  Win32FileSystem fs_;
};

TEST_F(Win32FileSystemTest, DirMaskChoosesHiddenSystemAndFolders) {
  dir_.Write("plain.txt", "p");
  dir_.Write("Hidden.txt", "h");
  dir_.Write("sys.txt", "s");
  dir_.Write("ro.txt", "r");
  CreateDirectoryA((dir_ / "Sub").c_str(), nullptr);
  CreateDirectoryA((dir_ / "HidSub").c_str(), nullptr);
  SetFileAttributesA((dir_ / "Hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA((dir_ / "sys.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesA((dir_ / "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((dir_ / "HidSub").c_str(), FILE_ATTRIBUTE_HIDDEN);
  const std::string all = dir_ / "*.*";

  EXPECT_THAT(AllNames(fs_, all, 0), ElementsAre("plain.txt", "ro.txt"));
  // 15 brings hidden and system files, but no folder, a hidden one neither.
  EXPECT_THAT(AllNames(fs_, all, 15),
              ElementsAre("Hidden.txt", "plain.txt", "ro.txt", "sys.txt"));
  // 16 brings the folders that are not hidden, and still the plain files.
  EXPECT_THAT(AllNames(fs_, all, 16),
              ElementsAre(".", "..", "plain.txt", "ro.txt", "Sub"));
  EXPECT_THAT(AllNames(fs_, all, 31),
              ElementsAre(".", "..", "Hidden.txt", "HidSub", "plain.txt",
                          "ro.txt", "Sub", "sys.txt"));
  EXPECT_THAT(AllNames(fs_, dir_ / "*.txt", 2),
              ElementsAre("Hidden.txt", "plain.txt", "ro.txt"));
  SetFileAttributesA((dir_ / "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32FileSystemTest, DirOfPlainPathTestsThatEntry) {
  dir_.Write("Data.bin", "x");
  dir_.Write("secret.bin", "x");
  SetFileAttributesA((dir_ / "secret.bin").c_str(), FILE_ATTRIBUTE_HIDDEN);
  CreateDirectoryA((dir_ / "Folder").c_str(), nullptr);

  // The name as stored, whatever case was asked for.
  EXPECT_EQ(fs_.Dir(dir_ / "DATA.BIN", 0), "Data.bin");
  EXPECT_EQ(fs_.DirNext(), "");
  EXPECT_EQ(fs_.Dir(dir_ / "Data.bin", 16), "Data.bin");
  EXPECT_EQ(fs_.Dir(dir_ / "secret.bin", 0), "");
  EXPECT_EQ(fs_.Dir(dir_ / "secret.bin", 15), "secret.bin");
  EXPECT_EQ(fs_.Dir(dir_ / "Folder", 15), "");
  EXPECT_EQ(fs_.Dir(dir_ / "Folder", 16), "Folder");
  EXPECT_EQ(fs_.Dir(dir_ / "nothing", 31), "");
  EXPECT_EQ(fs_.Dir(dir_ / "nothing\\*.*", 31), "");
  // A file where the folder should be: no such folder, so nothing is found
  // (Wine reports an invalid name there).
  EXPECT_EQ(fs_.Dir(dir_ / "Data.bin\\*.*", 31), "");
  EXPECT_EQ(fs_.Dir(dir_ / "Data.bin\\x", 16), "");
  EXPECT_EQ(fs_.Dir(dir_ / "Data.bin\\Sub\\x.txt", 15), "");
}

TEST_F(Win32FileSystemTest, DirOnDriveThatDoesNotExistFails) {
  char letter = 0;
  for (char c = 'Q'; c <= 'Y' && !letter; ++c) {
    const char root[] = {c, ':', '\\', '\0'};
    if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) letter = c;
  }
  ASSERT_NE(letter, 0) << "every drive letter from Q to Y is in use";
  EXPECT_EQ(ErrorOf([&] { fs_.Dir(std::string(1, letter) + ":\\x\\*.*", 16); }),
            kErrPathNotFound);
}

TEST_F(Win32FileSystemTest, DirSortsLikeNtfs) {
  for (const char* name : {"beta", "_u", "B.TXT", "9", "Alpha", "10", "a.txt",
                           "zeta", "$WinDir$"}) {
    dir_.Write(name, "");
  }
  EXPECT_THAT(AllNames(fs_, dir_ / "*.*", 0),
              ElementsAre("$WinDir$", "10", "9", "a.txt", "Alpha", "B.TXT",
                          "beta", "zeta", "_u"));
}

TEST_F(Win32FileSystemTest, AttributesReadAndSet) {
  dir_.Write("f.txt", "x");
  const std::string f = dir_ / "f.txt";
  fs_.SetAttr(f, kAttrReadOnly | kAttrHidden | kAttrSystem);
  EXPECT_EQ(fs_.GetAttr(f) & 0x1F, kAttrReadOnly | kAttrHidden | kAttrSystem);
  fs_.SetAttr(f, 0);
  // Wine reports every file as archived (it does not keep that bit), Windows
  // reports 0.
  EXPECT_EQ(fs_.GetAttr(f) & ~kAttrArchive, 0);
  // The folder bit cannot be set or cleared; it is reported.
  fs_.SetAttr(dir_.path(), kAttrDirectory);
  EXPECT_EQ(fs_.GetAttr(dir_.path()) & kAttrDirectory, kAttrDirectory);
  EXPECT_EQ(ErrorOf([&] { fs_.GetAttr(dir_ / "gone.txt"); }), kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs_.SetAttr(dir_ / "gone.txt", 0); }),
            kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs_.GetAttr(dir_ / "no\\gone.txt"); }),
            kErrFileNotFound);
}

TEST_F(Win32FileSystemTest, CopyReplacesTargetAndKeepsTheTime) {
  dir_.Write("src.dll", "new content");
  dir_.Write("dst.dll", "old");
  SetWriteTime(dir_ / "src.dll", Win32FromFileTime(kSomeTime) + 5000000);
  fs_.FileCopy(dir_ / "src.dll", dir_ / "dst.dll");
  EXPECT_EQ(dir_.Read("dst.dll"), "new content");
  EXPECT_EQ(fs_.DateLastModified(dir_ / "dst.dll"), kSomeTime);
  fs_.FileCopy(dir_ / "src.dll", dir_ / "fresh.dll");
  EXPECT_EQ(dir_.Read("fresh.dll"), "new content");
}

TEST_F(Win32FileSystemTest, CopyFailuresCarryTheirNumbers) {
  dir_.Write("src.dll", "new");
  const std::string src = dir_ / "src.dll";
  EXPECT_EQ(ErrorOf([&] { fs_.FileCopy(dir_ / "none.dll", dir_ / "x.dll"); }),
            kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs_.FileCopy(dir_ / "no\\none.dll", dir_ / "x"); }),
            kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs_.FileCopy(src, dir_ / "no\\x.dll"); }),
            kErrPathNotFound);
  CreateDirectoryA((dir_ / "Folder").c_str(), nullptr);
  EXPECT_EQ(ErrorOf([&] { fs_.FileCopy(src, dir_ / "Folder"); }),
            kErrPathFileAccess);
  EXPECT_EQ(dir_.Read("x.dll"), "<missing>");
}

TEST_F(Win32FileSystemTest, CopyRefusesReadOnlyHiddenAndLockedTargets) {
  dir_.Write("src.dll", "new");
  const std::string src = dir_ / "src.dll";
  for (DWORD attributes : {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN}) {
    dir_.Write("dst.dll", "old");
    SetFileAttributesA((dir_ / "dst.dll").c_str(), attributes);
    EXPECT_EQ(ErrorOf([&] { fs_.FileCopy(src, dir_ / "dst.dll"); }),
              kErrPermissionDenied)
        << attributes;
    SetFileAttributesA((dir_ / "dst.dll").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(dir_.Read("dst.dll"), "old");
  }
  Locked lock(dir_ / "dst.dll");
  ASSERT_TRUE(lock.ok());
  EXPECT_EQ(ErrorOf([&] { fs_.FileCopy(src, dir_ / "dst.dll"); }),
            kErrPermissionDenied);
}

TEST_F(Win32FileSystemTest, KillDeletesOnlyWhatItMay) {
  dir_.Write("a.txt", "x");
  fs_.Kill(dir_ / "a.txt");
  EXPECT_EQ(dir_.Read("a.txt"), "<missing>");
  EXPECT_EQ(ErrorOf([&] { fs_.Kill(dir_ / "a.txt"); }), kErrFileNotFound);

  dir_.Write("ro.txt", "x");
  SetFileAttributesA((dir_ / "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ErrorOf([&] { fs_.Kill(dir_ / "ro.txt"); }), kErrPermissionDenied);
  SetFileAttributesA((dir_ / "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(dir_.Read("ro.txt"), "x");

  dir_.Write("busy.ttf", "x");
  Locked lock(dir_ / "busy.ttf");
  ASSERT_TRUE(lock.ok());
  EXPECT_EQ(ErrorOf([&] { fs_.Kill(dir_ / "busy.ttf"); }),
            kErrPermissionDenied);
}

TEST_F(Win32FileSystemTest, MkDirMakesOneLevel) {
  fs_.MkDir(dir_ / "One");
  EXPECT_EQ(fs_.GetAttr(dir_ / "One") & kAttrDirectory, kAttrDirectory);
  EXPECT_EQ(ErrorOf([&] { fs_.MkDir(dir_ / "One"); }), kErrPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { fs_.MkDir(dir_ / "Two\\Three"); }), kErrPathNotFound);
}

TEST_F(Win32FileSystemTest, LastModifiedIsWholeSecondsOfFilesOnly) {
  dir_.Write("f.txt", "x");
  // 0.9999999 s past kSomeTime still reads as kSomeTime.
  SetWriteTime(dir_ / "f.txt", Win32FromFileTime(kSomeTime) + 9999999);
  EXPECT_EQ(fs_.DateLastModified(dir_ / "f.txt"), kSomeTime);
  EXPECT_EQ(ErrorOf([&] { fs_.DateLastModified(dir_.path()); }),
            kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs_.DateLastModified(dir_ / "none"); }),
            kErrFileNotFound);
}

TEST_F(Win32FileSystemTest, AppendLineCreatesAndAppendsWithCrLf) {
  fs_.AppendLine(dir_ / "log.txt", "first");
  fs_.AppendLine(dir_ / "log.txt", "");
  fs_.AppendLine(dir_ / "log.txt", "third \xE4");
  EXPECT_EQ(dir_.Read("log.txt"), "first\r\n\r\nthird \xE4\r\n");
  EXPECT_EQ(ErrorOf([&] { fs_.AppendLine(dir_ / "no\\log.txt", "x"); }),
            kErrPathNotFound);
  EXPECT_NE(ErrorOf([&] { fs_.AppendLine("", "x"); }), 0);
  // Another program reading the log does not stop the next line.
  HANDLE reader = CreateFileA((dir_ / "log.txt").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  fs_.AppendLine(dir_ / "log.txt", "fourth");
  CloseHandle(reader);
  EXPECT_EQ(dir_.Read("log.txt"), "first\r\n\r\nthird \xE4\r\nfourth\r\n");
}

TEST_F(Win32FileSystemTest, OpenForInputReadsTheWholeFile) {
  dir_.Write("items.txt", "\"[Sec]\",Key,\"a, b\"\r\nlast");
  auto reader = fs_.OpenForInput(dir_ / "items.txt");
  std::vector<std::string> items;
  while (!reader->AtEnd()) items.push_back(reader->ReadItem());
  EXPECT_THAT(items, ElementsAre("[Sec]", "Key", "a, b", "last"));
  EXPECT_EQ(ErrorOf([&] { fs_.OpenForInput(dir_ / "none.txt"); }),
            kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs_.OpenForInput(dir_.path()); }),
            kErrPermissionDenied);
}

TEST(Win32ErrorsTest, SystemErrorsMapOntoOperatorNumbers) {
  EXPECT_EQ(ErrorNumberOfWin32(ERROR_FILE_NOT_FOUND), 53);
  EXPECT_EQ(ErrorNumberOfWin32(ERROR_PATH_NOT_FOUND), 76);
  EXPECT_EQ(ErrorNumberOfWin32(ERROR_ACCESS_DENIED), 70);
  EXPECT_EQ(ErrorNumberOfWin32(ERROR_SHARING_VIOLATION), 70);
  EXPECT_EQ(ErrorNumberOfWin32(ERROR_LOCK_VIOLATION), 70);
  EXPECT_EQ(ErrorNumberOfWin32(ERROR_ALREADY_EXISTS), 75);
  EXPECT_EQ(ErrorNumberOfWin32(ERROR_DISK_FULL), 61);
  EXPECT_EQ(ErrorNumberOfWin32(ERROR_INVALID_NAME), 52);
  EXPECT_EQ(ErrorNumberOfWin32(ERROR_NOT_READY), 68);
  EXPECT_EQ(ErrorNumberOfWin32(ERROR_GEN_FAILURE), 75);
  RunError e = RunErrorOfWin32(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(e.description(), "Permission denied");
  EXPECT_EQ(e.source(), "Rolvex");
}

}  // namespace
}  // namespace rolvex
