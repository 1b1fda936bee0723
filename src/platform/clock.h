// Time: the pause between silent retries, and showing a file time.
#ifndef ROLVEX_PLATFORM_CLOCK_H_
#define ROLVEX_PLATFORM_CLOCK_H_

#include <string>

#include "platform/file_system.h"

namespace rolvex {

class Clock {
 public:
  virtual ~Clock() = default;
  // Blocks the calling thread for `milliseconds` (kernel32 Sleep).
  virtual void Sleep(int milliseconds) = 0;
  // `time` as a local date-time in the platform's notation, as the default
  // conversion of a date-time value to text gives it.
  virtual std::string FormatLocal(FileTime time) = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_CLOCK_H_
