#include "platform/win32/win32_profile_store.h"

#include <vector>

#include "platform/rules/ini_document.h"
#include "platform/win32/win32_api.h"

namespace rolvex {

std::string Win32ProfileStore::GetString(const std::string& section,
                                         const std::string& key,
                                         const std::string& default_value,
                                         int buffer_size,
                                         const std::string& file) {
  if (buffer_size <= 0) return "";
  std::string fallback = default_value;
  fallback.erase(fallback.find_last_not_of(' ') + 1);
  std::vector<char> buffer(static_cast<size_t>(buffer_size), '\0');
  DWORD n = GetPrivateProfileStringA(
      section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
      static_cast<DWORD>(buffer_size), file.c_str());
  if (n >= static_cast<DWORD>(buffer_size)) n = buffer_size - 1;
  return std::string(buffer.data(), n);
}

bool Win32ProfileStore::WriteString(const std::string& section,
                                    const std::string& key,
                                    const std::string& value,
                                    const std::string& file) {
  // The system function writes line breaks as they are: a value could add
  // sections and keys of its own.
  if (!ReadsBackAsWritten(section, key, value)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  // Windows cannot open a read-only file for writing and leaves it alone;
  // Wine running as root rewrites it all the same.
  DWORD attributes = GetFileAttributesA(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                    file.c_str()) != FALSE;
}

}  // namespace rolvex
