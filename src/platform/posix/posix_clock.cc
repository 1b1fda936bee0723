#include "platform/posix/posix_clock.h"

#include <errno.h>
#include <stdio.h>
#include <time.h>

#include <string>

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
  time_t seconds = static_cast<time_t>(time);
  struct tm local;
  if (localtime_r(&seconds, &local) == nullptr) return std::to_string(time);
  char text[64];
  snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d",
           local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
           local.tm_min, local.tm_sec);
  return text;
}

}  // namespace rolvex
