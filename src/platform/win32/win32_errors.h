// Win32 error codes as the installer's error numbers, so that a log written
// on Windows reads like one written by the POSIX layer.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_ERRORS_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_ERRORS_H_

#include <cstdint>

#include "platform/run_error.h"

namespace rolvex {

// The error number for a GetLastError code: file not found 53, path not found
// 76, access denied / sharing or lock violation / write protection 70, name
// exists 75, disk full 61, bad name 52, device not ready or drive invalid 68,
// end of file 62; any other failure of a file operation is 75.
int ErrorNumberOfWin32(std::uint32_t win32_error);

// A RunError with that number and its standard description; the code and
// the system's text (FormatMessageA) are its system().
RunError RunErrorOfWin32(std::uint32_t win32_error);

// The same for GetLastError() of the failed call just made.
[[noreturn]] void ThrowLastError();

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_ERRORS_H_
