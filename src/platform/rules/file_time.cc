#include "platform/rules/file_time.h"

#include <cstdio>

namespace rolvex {
namespace {

// 100 ns units between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDifference = 116444736000000000LL;
constexpr std::int64_t kUnitsPerSecond = 10000000LL;

}  // namespace

FileTime FileTimeFromWin32(std::uint64_t filetime) {
  std::int64_t units = static_cast<std::int64_t>(filetime) - kEpochDifference;
  std::int64_t seconds = units / kUnitsPerSecond;
  if (units % kUnitsPerSecond < 0) --seconds;
  return seconds;
}

std::uint64_t Win32FromFileTime(FileTime time) {
  return static_cast<std::uint64_t>(time * kUnitsPerSecond + kEpochDifference);
}

CivilTime CivilFromFileTime(FileTime time, std::int64_t offset_seconds) {
  constexpr std::int64_t kDay = 86400;
  const std::int64_t local = time + offset_seconds;
  std::int64_t days = local / kDay;
  std::int64_t seconds = local % kDay;
  if (seconds < 0) {
    seconds += kDay;
    --days;
  }
  // Days to year, month and day in eras of 400 years (146097 days), which
  // repeat exactly, counted from 0000-03-01 so that the leap day ends a year.
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era = (day_of_era - day_of_era / 1460 +
                                    day_of_era / 36524 - day_of_era / 146096) /
                                   365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t month_index = (5 * day_of_year + 2) / 153;  // March: 0
  CivilTime civil;
  civil.day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
  civil.month =
      static_cast<int>(month_index < 10 ? month_index + 3 : month_index - 9);
  civil.year = year_of_era + era * 400 + (civil.month <= 2 ? 1 : 0);
  civil.hour = static_cast<int>(seconds / 3600);
  civil.minute = static_cast<int>(seconds / 60 % 60);
  civil.second = static_cast<int>(seconds % 60);
  return civil;
}

bool ShowsDateOnly(int hour, int minute, int second) {
  return hour == 0 && minute == 0 && second == 0;
}

std::string FormatDateTime(const CivilTime& time) {
  const bool date_only = ShowsDateOnly(time.hour, time.minute, time.second);
  char text[80];
  if (time.year < 0 || time.year > 9999) {
    const long long year = static_cast<long long>(time.year);
    int n = date_only ? std::snprintf(text, sizeof text, "%04lld-%02d-%02d",
                                      year, time.month, time.day)
                      : std::snprintf(text, sizeof text,
                                      "%04lld-%02d-%02d %02d:%02d:%02d", year,
                                      time.month, time.day, time.hour,
                                      time.minute, time.second);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
  }
  // By hand: every log line of a copy carries two of these, and snprintf
  // costs many times what the digits do.
  const auto two = [](char* at, int value) {
    at[0] = static_cast<char>('0' + value / 10);
    at[1] = static_cast<char>('0' + value % 10);
  };
  const int year = static_cast<int>(time.year);
  two(text, year / 100);
  two(text + 2, year % 100);
  text[4] = '-';
  two(text + 5, time.month);
  text[7] = '-';
  two(text + 8, time.day);
  if (date_only) return std::string(text, 10);
  text[10] = ' ';
  two(text + 11, time.hour);
  text[13] = ':';
  two(text + 14, time.minute);
  text[16] = ':';
  two(text + 17, time.second);
  return std::string(text, 19);
}

}  // namespace rolvex
