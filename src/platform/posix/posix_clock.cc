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
  const int year = local.tm_year + 1900;
  char text[64];
  if (year < 0 || year > 9999) {
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year,
             local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
             local.tm_sec);
    return text;
  }
  // By hand: every log line of a copy carries two of these, and snprintf
  // costs many times what the digits do.
  const auto two = [](char* at, int value) {
    at[0] = static_cast<char>('0' + value / 10);
    at[1] = static_cast<char>('0' + value % 10);
  };
  char* t = text;
  two(t, year / 100);
  two(t + 2, year % 100);
  t[4] = '-';
  two(t + 5, local.tm_mon + 1);
  t[7] = '-';
  two(t + 8, local.tm_mday);
  t[10] = ' ';
  two(t + 11, local.tm_hour);
  t[13] = ':';
  two(t + 14, local.tm_min);
  t[16] = ':';
  two(t + 17, local.tm_sec);
  return std::string(text, 19);
}

}  // namespace rolvex
