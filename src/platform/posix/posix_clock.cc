#include "platform/posix/posix_clock.h"

#include <errno.h>
#include <time.h>

#include <string>

#include "platform/rules/file_time.h"

namespace rolvex {

void PosixClock::Sleep(int milliseconds) {
  if (milliseconds <= 0) return;
  struct timespec left;
  left.tv_sec = milliseconds / 1000;
  left.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

std::string PosixClock::FormatLocal(FileTime time) {
  // Today's offset from UTC for every file, as FileTimeToLocalFileTime
  // gives it to the Windows program: a summer file shown in winter is an
  // hour off its wall-clock time there too, and both programs log the same.
  const time_t now = now_ ? now_() : ::time(nullptr);
  struct tm local;
  if (localtime_r(&now, &local) == nullptr) return std::to_string(time);
  constexpr FileTime kLimit = FileTime{1} << 60;  // far past any calendar
  if (time > kLimit || time < -kLimit) return std::to_string(time);
  return FormatDateTime(CivilFromFileTime(time, local.tm_gmtoff));
}

}  // namespace rolvex
