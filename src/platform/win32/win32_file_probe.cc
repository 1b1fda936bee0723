#include "platform/win32/win32_file_probe.h"

#include "platform/win32/win32_api.h"

namespace rolvex {
namespace {

constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The error of opening `path` with `access`, ERROR_SUCCESS when it opened.
DWORD OpenError(const std::string& path, DWORD access) {
  HANDLE file = CreateFileA(path.c_str(), access, kShareAll, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  CloseHandle(file);
  return ERROR_SUCCESS;
}

}  // namespace

bool Win32FileProbe::InUse(const std::string& path) {
  const DWORD error = OpenError(path, GENERIC_WRITE);
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool Win32FileProbe::Unreadable(const std::string& path) {
  const DWORD error = OpenError(path, GENERIC_READ);
  return error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND &&
         error != ERROR_PATH_NOT_FOUND;
}

// A path on a drive names a file or a folder; the devices a name such as
// "CON" reaches are what the copy itself meets and reports.
bool Win32FileProbe::NotAFile(const std::string&) { return false; }

}  // namespace rolvex
