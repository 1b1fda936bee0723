// The Windows file time (FILETIME: 100 ns units since 1601-01-01 UTC) and the
// installer's FileTime (whole seconds since 1970), both ways. Kept apart from
// the Win32 layer so that the arithmetic, its rounding before 1970 included,
// is tested in both builds.
#ifndef ROLVEX_PLATFORM_RULES_FILE_TIME_H_
#define ROLVEX_PLATFORM_RULES_FILE_TIME_H_

#include <cstdint>

#include "platform/file_system.h"

namespace rolvex {

// Whole seconds, rounded down (also before 1970), as the file-system object
// drops the fraction of a second.
FileTime FileTimeFromWin32(std::uint64_t filetime);
std::uint64_t Win32FromFileTime(FileTime time);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RULES_FILE_TIME_H_
