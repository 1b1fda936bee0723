// Time on POSIX: the retry pause and the way a file time is shown.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_CLOCK_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_CLOCK_H_

#include <time.h>

#include <functional>
#include <string>
#include <utility>

#include "platform/clock.h"

namespace rolvex {

class PosixClock : public Clock {
 public:
  // `now`, when given, stands for the system clock (tests).
  explicit PosixClock(std::function<time_t()> now = nullptr)
      : now_(std::move(now)) {}
  // Sleeps the whole time even when signals interrupt it; 0 or less returns
  // at once.
  void Sleep(int milliseconds) override;
  // Local time as FormatDateTime writes it, with the offset from UTC that
  // holds now (TZ and /etc/localtime, as localtime_r reads them) for every
  // date, as the Windows program converts. A time beyond any calendar is
  // shown as the plain number of seconds.
  std::string FormatLocal(FileTime time) override;

 private:
  std::function<time_t()> now_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_CLOCK_H_
