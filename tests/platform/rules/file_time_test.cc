#include "platform/rules/file_time.h"

#include <gtest/gtest.h>

namespace rolvex {
namespace {

constexpr FileTime kSomeTime = 981173106;

TEST(FileTimeTest, ConvertsAroundTheEpochRoundingDown) {
  const std::uint64_t epoch = 116444736000000000ULL;
  EXPECT_EQ(FileTimeFromWin32(epoch), 0);
  EXPECT_EQ(FileTimeFromWin32(epoch + 15000000), 1);
  EXPECT_EQ(FileTimeFromWin32(epoch - 1), -1);
  EXPECT_EQ(FileTimeFromWin32(Win32FromFileTime(kSomeTime)), kSomeTime);
}

TEST(FileTimeTest, CalendarFieldsAndTheTextOfADateTime) {
  // 2020-01-02 00:00:00 UTC: midnight shows the date alone, a second later
  // the time as well; one offset moves the fields across the day and year.
  EXPECT_EQ(FormatDateTime(CivilFromFileTime(1577923200, 0)), "2020-01-02");
  EXPECT_EQ(FormatDateTime(CivilFromFileTime(1577923201, 0)),
            "2020-01-02 00:00:01");
  EXPECT_EQ(FormatDateTime(CivilFromFileTime(1577923200, -3600)),
            "2020-01-01 23:00:00");
  EXPECT_EQ(FormatDateTime(CivilFromFileTime(1577836800, -1)),
            "2019-12-31 23:59:59");
  // Leap days, before 1970 and beyond four digits.
  EXPECT_EQ(FormatDateTime(CivilFromFileTime(951782400, 0)), "2000-02-29");
  EXPECT_EQ(FormatDateTime(CivilFromFileTime(-1, 0)), "1969-12-31 23:59:59");
  EXPECT_EQ(FormatDateTime(CivilFromFileTime(-11644473600, 0)), "1601-01-01");
  EXPECT_EQ(FormatDateTime(CivilFromFileTime(253402300800, 0)), "10000-01-01");
  EXPECT_TRUE(ShowsDateOnly(0, 0, 0));
  EXPECT_FALSE(ShowsDateOnly(0, 0, 1));
  EXPECT_FALSE(ShowsDateOnly(12, 0, 0));
}

}  // namespace
}  // namespace rolvex
