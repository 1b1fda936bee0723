// Time on POSIX: the retry pause and the way a file time is shown.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_CLOCK_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_CLOCK_H_

#include <string>

#include "platform/clock.h"

namespace rolvex {

class PosixClock : public Clock {
 public:
  // Sleeps the whole time even when signals interrupt it; 0 or less returns
  // at once.
  void Sleep(int milliseconds) override;
  // Local time (TZ and /etc/localtime, as localtime_r reads them) as
  // "YYYY-MM-DD HH:MM:SS", 24 hours, always two digits: sortable, and the
  // same whatever the locale. A time the system cannot convert is shown as
  // the plain number of seconds.
  std::string FormatLocal(FileTime time) override;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_CLOCK_H_
