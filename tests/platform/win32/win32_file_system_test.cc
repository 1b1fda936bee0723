#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/run_error.h"
#include "platform/whole_file.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_copy.h"
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

// The names of the folder that start with "~rolvex-".
std::vector<std::string> OwnFiles(const Win32TempFolder& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((dir / "~rolvex-*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(data.cFileName);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

// A copy goes through a temporary that is gone when it returns, also when
// the target is in use and the copy is refused; a staged copy for the next
// restart stays beside the target, under a name no sweep takes.
TEST_F(Win32FileSystemTest, CopiesLeaveNoTemporaryAndStagedCopiesStay) {
  dir_.Write("src.dll", "new");
  dir_.Write("dst.dll", "old");
  fs_.FileCopy(dir_ / "src.dll", dir_ / "dst.dll");
  EXPECT_EQ(dir_.Read("dst.dll"), "new");
  HANDLE held = CreateFileA((dir_ / "dst.dll").c_str(), GENERIC_READ, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  dir_.Write("src.dll", "newer");
  EXPECT_EQ(ErrorOf([&] { fs_.FileCopy(dir_ / "src.dll", dir_ / "dst.dll"); }),
            kErrPermissionDenied);
  EXPECT_TRUE(OwnFiles(dir_).empty());
  const std::string staged =
      fs_.StageForRestart(dir_ / "src.dll", dir_ / "dst.dll");
  CloseHandle(held);
  EXPECT_EQ(staged.rfind(dir_ / "~rolvex-restart-", 0), 0u) << staged;
  EXPECT_EQ(dir_.Read(staged.substr(dir_.path().size() + 1)), "newer");
  EXPECT_EQ(dir_.Read("dst.dll"), "new");
}

// A temporary is removed only when it follows the grammar exactly and its
// maker is gone: no such process, or one of that id started at another
// time. This process's own, and the restart's staged copies, stay.
TEST_F(Win32FileSystemTest, TheSweepTakesOnlyTemporariesOfMakersGone) {
  TemporaryMaker maker;
  EXPECT_TRUE(ParseTemporaryName("~rolvex-1a-01d9000000000000-3.tmp", maker));
  EXPECT_EQ(maker.pid, 0x1au);
  EXPECT_EQ(maker.created, 0x01d9000000000000u);
  for (const char* name :
       {"~rolvex-1a-01d9000000000000-3.tmpx", "~rolvex-1a-01d9-3.tmp",
        "~rolvex-zz-01d9000000000000-3.tmp", "~rolvex-restart-1a-01-1.tmp",
        "~rolvex-1a-01d9000000000000-3.tmp~"}) {
    EXPECT_FALSE(ParseTemporaryName(name, maker)) << name;
  }
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  char mine[80];
  std::snprintf(mine, sizeof mine, "~rolvex-%lx-%08lx%08lx-1.tmp",
                GetCurrentProcessId(), created.dwHighDateTime,
                created.dwLowDateTime);
  dir_.Write(mine, "in use");
  // The same process id with another start time: a process that is gone.
  char reused[80];
  std::snprintf(reused, sizeof reused, "~rolvex-%lx-0000000000000001-2.tmp",
                GetCurrentProcessId());
  dir_.Write(reused, "left by a killed run");
  dir_.Write("~rolvex-restart-1-0000000000000001-1.tmp", "staged");
  dir_.Write("~rolvex-notes.tmp", "someone else's");
  SweepStaleTemporaries(dir_.path());
  EXPECT_EQ(dir_.Read(reused), "<missing>");
  EXPECT_EQ(dir_.Read(mine), "in use");
  EXPECT_EQ(dir_.Read("~rolvex-restart-1-0000000000000001-1.tmp"), "staged");
  EXPECT_EQ(dir_.Read("~rolvex-notes.tmp"), "someone else's");
}

// A report written whole: the old or the new file, and no temporary stays.
TEST_F(Win32FileSystemTest, AFileIsWrittenWholeAndLeavesNoTemporary) {
  EXPECT_EQ(WriteWholeFile(dir_ / "report.json", "first"), "");
  EXPECT_EQ(WriteWholeFile(dir_ / "report.json", "second"), "");
  EXPECT_EQ(dir_.Read("report.json"), "second");
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((dir_ / "*.tmp").c_str(), &data);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  EXPECT_NE(WriteWholeFile(dir_ / "missing\\r.json", "x"), "");
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
