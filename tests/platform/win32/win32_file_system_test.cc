#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/run_error.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_temp_folder.h"

namespace rolvex {
namespace {

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

void SetWriteTime(const std::string& path, std::uint64_t filetime) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  FILETIME ft{static_cast<DWORD>(filetime), static_cast<DWORD>(filetime >> 32)};
  SetFileTime(file, nullptr, nullptr, &ft);
  CloseHandle(file);
}

// What the FileSystem contract suite cannot see: fractions of a second, the
// sharing a text file is opened with, and the system's own refusals.
class Win32FileSystemTest : public ::testing::Test {
 protected:
  Win32TempFolder dir_;
  Win32FileSystem fs_;
};

TEST_F(Win32FileSystemTest, LastModifiedDropsTheFractionOfASecond) {
  dir_.Write("f.txt", "x");
  // 0.9999999 s past kSomeTime still reads as kSomeTime.
  SetWriteTime(dir_ / "f.txt", Win32FromFileTime(kSomeTime) + 9999999);
  EXPECT_EQ(fs_.DateLastModified(dir_ / "f.txt"), kSomeTime);
  // A copy carries the exact time, which reads the same.
  dir_.Write("src.dll", "new content");
  SetWriteTime(dir_ / "src.dll", Win32FromFileTime(kSomeTime) + 5000000);
  fs_.FileCopy(dir_ / "src.dll", dir_ / "dst.dll");
  EXPECT_EQ(fs_.DateLastModified(dir_ / "dst.dll"), kSomeTime);
}

TEST_F(Win32FileSystemTest, TextFilesAreSharedWithOtherReaders) {
  fs_.AppendLine(dir_ / "log.txt", "first");
  EXPECT_NE(ErrorOf([&] { fs_.AppendLine("", "x"); }), 0);
  // Another program reading the log does not stop the next line.
  HANDLE reader = CreateFileA((dir_ / "log.txt").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  fs_.AppendLine(dir_ / "log.txt", "second");
  EXPECT_EQ(fs_.OpenForInput(dir_ / "log.txt")->ReadItem(), "first");
  CloseHandle(reader);
  EXPECT_EQ(dir_.Read("log.txt"), "first\r\nsecond\r\n");
  // A folder cannot be opened as a text file.
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
