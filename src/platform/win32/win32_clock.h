// Sleep, and a file time shown as the file-system object shows a date-time:
// converted to local time with FileTimeToLocalFileTime (today's offset from
// UTC, as DateLastModified uses it) and written in the user's short date and
// time formats. A time of exactly midnight shows the date alone, as the
// default conversion of a date-time value to text does.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_CLOCK_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_CLOCK_H_

#include <string>

#include "platform/clock.h"

namespace rolvex {

class Win32Clock : public Clock {
 public:
  void Sleep(int milliseconds) override;
  std::string FormatLocal(FileTime time) override;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_CLOCK_H_
