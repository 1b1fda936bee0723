// The Windows file time (FILETIME: 100 ns units since 1601-01-01 UTC) and the
// installer's FileTime (whole seconds since 1970), both ways, and a file time
// as the log shows it. Kept apart from
// the Win32 layer so that the arithmetic, its rounding before 1970 included,
// is tested in both builds.
#ifndef ROLVEX_PLATFORM_RULES_FILE_TIME_H_
#define ROLVEX_PLATFORM_RULES_FILE_TIME_H_

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace rolvex {

// Whole seconds, rounded down (also before 1970), as the file-system object
// drops the fraction of a second.
FileTime FileTimeFromWin32(std::uint64_t filetime);
std::uint64_t Win32FromFileTime(FileTime time);

// A date-time as a calendar shows it (proleptic Gregorian; year 0 is 1 BC).
struct CivilTime {
  std::int64_t year = 1970;
  int month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// `time` moved by `offset_seconds` from UTC, as calendar fields. One offset
// for every date, as FileTimeToLocalFileTime applies today's offset to a
// file of any season. `time` within +-2^60 s, so that nothing overflows.
CivilTime CivilFromFileTime(FileTime time, std::int64_t offset_seconds);

// Whether the default conversion of a date-time value to text leaves the
// time out: it does so for exactly midnight, showing the date alone.
bool ShowsDateOnly(int hour, int minute, int second);

// `time` as "YYYY-MM-DD HH:MM:SS" (24 hours, two digits each: sortable and
// the same in every locale), or "YYYY-MM-DD" at exactly midnight.
std::string FormatDateTime(const CivilTime& time);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RULES_FILE_TIME_H_
