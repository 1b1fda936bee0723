#include "platform/win32/win32_errors.h"

#include <string>

#include "platform/win32/win32_api.h"

namespace rolvex {

int ErrorNumberOfWin32(std::uint32_t win32_error) {
  switch (win32_error) {
    case ERROR_FILE_NOT_FOUND:
      return kErrFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return kErrPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CANNOT_MAKE:
      return kErrPermissionDenied;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
    case ERROR_DIR_NOT_EMPTY:
    case ERROR_CURRENT_DIRECTORY:
      return kErrPathFileAccess;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kErrDiskFull;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return kErrBadFileName;
    case ERROR_NOT_READY:
    case ERROR_INVALID_DRIVE:
    case ERROR_DEV_NOT_EXIST:
      return kErrDeviceUnavailable;
    case ERROR_HANDLE_EOF:
      return kErrInputPastEnd;
    default:
      return kErrPathFileAccess;
  }
}

RunError RunErrorOfWin32(std::uint32_t win32_error) {
  RunError error = RunError::Of(ErrorNumberOfWin32(win32_error));
  char text[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, win32_error, 0, text, sizeof text, nullptr);
  std::string system = text;
  while (!system.empty() && (system.back() == '\n' || system.back() == '\r' ||
                             system.back() == ' ')) {
    system.pop_back();
  }
  error.WithSystem({static_cast<int>(win32_error), system});
  return error;
}

void ThrowLastError() { throw RunErrorOfWin32(GetLastError()); }

}  // namespace rolvex
