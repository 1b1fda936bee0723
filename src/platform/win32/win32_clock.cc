#include "platform/win32/win32_clock.h"

#include "platform/rules/file_time.h"
#include "platform/win32/win32_api.h"

namespace rolvex {

void Win32Clock::Sleep(int milliseconds) {
  ::Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds));
}

std::string Win32Clock::FormatLocal(FileTime time) {
  std::uint64_t units = Win32FromFileTime(time);
  FILETIME utc{static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) ||
      !FileTimeToSystemTime(&local, &st)) {
    // Outside what a FILETIME can hold; no date-time a file can carry.
    return "";
  }
  char date[128] = "";
  char clock[128] = "";
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date,
                 sizeof date);
  if (ShowsDateOnly(st.wHour, st.wMinute, st.wSecond)) return date;
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, clock, sizeof clock);
  return std::string(date) + " " + clock;
}

}  // namespace rolvex
