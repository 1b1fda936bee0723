#include "platform/win32/win32_profile_store.h"

#include <string_view>
#include <vector>

#include "platform/win32/win32_api.h"

namespace rolvex {
namespace {

// A name or value as the system function sees it: up to a NUL.
std::string_view UpToNul(const std::string& text) {
  return std::string_view(text.c_str());
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string_view TrimBlanks(std::string_view text) {
  const char* blanks = " \t\v\f\x1a";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Whether key=value in section can be written as one line that reads back
// as just that entry. The system function writes line breaks as they are,
// so a value could otherwise add sections and keys of its own.
bool WritesAsOneEntry(const std::string& section, const std::string& key,
                      const std::string& value) {
  const std::string_view s = TrimBlanks(UpToNul(section));
  const std::string_view k = TrimBlanks(UpToNul(key));
  if (s.empty() || k.empty()) return false;
  if (HasLineBreak(s) || HasLineBreak(k) || HasLineBreak(UpToNul(value))) {
    return false;
  }
  if (s.find(']') != std::string_view::npos) return false;
  if (k.find('=') != std::string_view::npos) return false;
  return !(k.front() == '[' && k.find(']') != std::string_view::npos);
}

}  // namespace

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
  if (!WritesAsOneEntry(section, key, value)) {
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
