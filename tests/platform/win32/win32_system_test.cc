// Environment, processes, restart replacement and the clock over the real
// system functions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/run_error.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_process_runner.h"
#include "platform/win32/win32_restart_scheduler.h"
#include "platform/win32/win32_temp_folder.h"

namespace rolvex {

// The tests run in a Wine prefix whose ANSI code page is Windows-1252.
const CodePage& NativeCodePage() {
  static const Win32CodePage page;
  return page;
}

namespace {

TEST(Win32EnvironmentTest, LongValuesComeWholeAndNamesIgnoreCase) {
  Win32Environment env;
  const std::string long_value(5000, 'L');
  SetEnvironmentVariableA("ROLVEX_TEST_LONG", long_value.c_str());
  EXPECT_EQ(env.Get("ROLVEX_TEST_LONG"), long_value);
  const std::string edge(4095, 'e');  // 4095 + zero fills the first buffer
  SetEnvironmentVariableA("ROLVEX_TEST_EDGE", edge.c_str());
  EXPECT_EQ(env.Get("rolvex_test_edge"), edge);
  SetEnvironmentVariableA("ROLVEX_TEST_EMPTY", "");
  EXPECT_EQ(env.Get("ROLVEX_TEST_EMPTY"), "");
  EXPECT_EQ(env.Get("ROLVEX_TEST_MISSING"), "");
  EXPECT_EQ(env.Get(""), "");
  SetEnvironmentVariableA("ROLVEX_TEST_LONG", nullptr);
  SetEnvironmentVariableA("ROLVEX_TEST_EDGE", nullptr);
}

TEST(Win32ProcessRunnerTest, MissingProgramGivesNoProcess) {
  Win32ProcessRunner runner;
  EXPECT_EQ(runner.Start("C:\\no\\such\\program.exe /regserver"), nullptr);
  EXPECT_EQ(runner.Start("RolvexNoSuchTool /s C:\\X.dll"), nullptr);
  EXPECT_EQ(runner.Start(""), nullptr);
}

TEST(Win32ProcessRunnerTest, StartedProgramRunsToItsEnd) {
  Win32TempFolder dir;
  Win32ProcessRunner runner;
  // cmd is found along the system folders, the rest is its argument text.
  auto process = runner.Start("cmd /c echo ran> \"" + (dir / "out.txt") + "\"");
  ASSERT_NE(process, nullptr);
  bool ended = false;
  for (int slice = 0; slice < 300 && !ended; ++slice) {
    ended = process->Wait(100);
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(dir.Read("out.txt"), "ran\r\n");
}

// The pending list as the registry holds it: pairs of names, "\??\" in
// front, "!" before a target that replaces an existing file.
std::vector<std::string> PendingRenames() {
  HKEY key;
  std::vector<std::string> names;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                    "System\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return names;
  }
  DWORD size = 0;
  if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                       nullptr, &size) == ERROR_SUCCESS) {
    std::vector<char> data(size + 2, '\0');
    RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(data.data()), &size);
    // Empty names (a deletion's target) may stand inside the list, so the
    // size ends it, not the first double zero.
    for (size_t i = 0; i + 1 < size;) {
      std::string name(&data[i]);
      names.push_back(name);
      i += name.size() + 1;
    }
  }
  RegCloseKey(key);
  return names;
}

TEST(Win32RestartSchedulerTest, RecordsTheReplacementInThePendingList) {
  Win32TempFolder dir;
  dir.Write("new.dll", "new");
  dir.Write("old.dll", "old");
  Win32RestartScheduler scheduler;
  ASSERT_TRUE(scheduler.ReplaceAtRestart(dir / "new.dll", dir / "old.dll"));
  std::vector<std::string> pending = PendingRenames();
  ASSERT_GE(pending.size(), 2u);
  // The last pair is ours; case and the "\??\" form are the system's.
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(tolower(c));
    return s;
  };
  EXPECT_EQ(lower(pending[pending.size() - 2]),
            lower("\\??\\" + (dir / "new.dll")));
  EXPECT_EQ(lower(pending.back()), lower("!\\??\\" + (dir / "old.dll")));
  // Nothing happens before the restart.
  EXPECT_EQ(dir.Read("old.dll"), "old");
}

TEST(Win32RestartSchedulerTest, UnreachableFunctionThrows453) {
  Win32RestartScheduler scheduler("kernel32.dll", "MoveFileExNowhere");
  try {
    scheduler.ReplaceAtRestart("C:\\a", "C:\\b");
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), 453);
    EXPECT_NE(e.description().find("MoveFileExNowhere"), std::string::npos);
  }
  Win32RestartScheduler no_module("rolvex-none.dll");
  EXPECT_THROW(no_module.ReplaceAtRestart("C:\\a", "C:\\b"), RunError);
}

// The local date-time `st` as a FileTime.
FileTime FromLocal(SYSTEMTIME st) {
  FILETIME local, utc;
  SystemTimeToFileTime(&st, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return FileTimeFromWin32(
      (static_cast<std::uint64_t>(utc.dwHighDateTime) << 32) |
      utc.dwLowDateTime);
}

TEST(Win32ClockTest, FormatsLocalTimeMidnightAsDateAlone) {
  Win32Clock clock;
  SYSTEMTIME st{};
  st.wYear = 2020;
  st.wMonth = 3;
  st.wDay = 4;
  char date[64], time[64];
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 64);
  EXPECT_EQ(clock.FormatLocal(FromLocal(st)), date);

  st.wHour = 13;
  st.wMinute = 14;
  st.wSecond = 15;
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 64);
  const std::string shown = clock.FormatLocal(FromLocal(st));
  EXPECT_EQ(shown, std::string(date) + " " + time);
  EXPECT_NE(shown.find("2020"), std::string::npos) << shown;
}

TEST(Win32ClockTest, SleepWaitsAboutThatLong) {
  Win32Clock clock;
  LARGE_INTEGER frequency, before, after;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&before);
  clock.Sleep(100);
  QueryPerformanceCounter(&after);
  EXPECT_GE((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart, 80);
}

}  // namespace
}  // namespace rolvex
