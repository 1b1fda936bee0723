#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <string>

#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_environment.h"

namespace rolvex {
namespace {

TEST(PosixEnvironmentTest, MatchesNamesWithoutRegardToCaseExactFirst) {
  PosixEnvironment env;
  setenv("RolvexTestDir", "C:\\Quelt", 1);
  EXPECT_EQ(env.Get("ROLVEXTESTDIR"), "C:\\Quelt");
  EXPECT_EQ(env.Get("rolvextestdir"), "C:\\Quelt");
  setenv("ROLVEXTESTDIR", "upper", 1);
  EXPECT_EQ(env.Get("ROLVEXTESTDIR"), "upper");
  EXPECT_EQ(env.Get("RolvexTestDir"), "C:\\Quelt");
  std::string long_value(100000, 'v');
  setenv("RolvexLongValue", long_value.c_str(), 1);
  EXPECT_EQ(env.Get("ROLVEXLONGVALUE"), long_value);
  EXPECT_EQ(env.Get("RolvexMissingVariable"), "");
  EXPECT_EQ(env.Get("RolvexTestDir=C:\\Quelt"), "");
  EXPECT_EQ(env.Get(""), "");
  unsetenv("RolvexTestDir");
  unsetenv("ROLVEXTESTDIR");
  unsetenv("RolvexLongValue");
}

TEST(PosixClockTest, FormatsLocalTimeAndSleeps) {
  PosixClock clock;
  const char* old_tz = getenv("TZ");
  std::string saved = old_tz ? old_tz : "";
  setenv("TZ", "UTC0", 1);
  tzset();
  // Midnight shows the date alone, as on Windows.
  EXPECT_EQ(clock.FormatLocal(0), "1970-01-01");
  EXPECT_EQ(clock.FormatLocal(1700000000), "2023-11-14 22:13:20");
  EXPECT_EQ(clock.FormatLocal(253402300800), "10000-01-01");
  // Today's offset for a file of any season, as FileTimeToLocalFileTime:
  // a July file shown in December is an hour before its summer time.
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  const time_t december = 1702648800;  // 2023-12-15 14:00 UTC
  const time_t july = 1689422400;      // 2023-07-15 12:00 UTC
  PosixClock in_december([&] { return december; });
  PosixClock in_july([&] { return july; });
  EXPECT_EQ(in_december.FormatLocal(july), "2023-07-15 13:00:00");
  EXPECT_EQ(in_july.FormatLocal(july), "2023-07-15 14:00:00");
  EXPECT_EQ(in_july.FormatLocal(december), "2023-12-15 16:00:00");
  EXPECT_EQ(in_december.FormatLocal(1577919600), "2020-01-02");
  if (old_tz) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();

  auto start = std::chrono::steady_clock::now();
  clock.Sleep(30);
  clock.Sleep(0);
  clock.Sleep(-5);
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(30));
  EXPECT_LT(elapsed, std::chrono::milliseconds(2000));
}

}  // namespace
}  // namespace rolvex
