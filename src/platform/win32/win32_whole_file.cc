#include <cstdio>
#include <random>
#include <string>

#include "platform/whole_file.h"
#include "platform/win32/win32_api.h"

namespace rolvex {
namespace {

std::string SystemText(DWORD error) {
  char text[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, error, 0, text, sizeof text, nullptr);
  std::string out = text;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) {
    out.pop_back();
  }
  return out.empty() ? "error " + std::to_string(error) : out;
}

}  // namespace

std::string WriteWholeFile(const std::string& path, const std::string& text) {
  // A name nobody can guess beforehand, so nobody can plant anything there;
  // what is there all the same is passed by (CREATE_NEW).
  std::random_device random;
  std::string temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE;
       ++attempt) {
    char tail[32];
    std::snprintf(tail, sizeof tail, ".%08x%08x.tmp", random(), random());
    temporary = path + tail;
    // CREATE_NEW: a file, a link or a junction at that name is never opened.
    file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    if (file == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS &&
        error != ERROR_ALREADY_EXISTS) {
      return "cannot create " + temporary + ": " + SystemText(error);
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    return "cannot create a temporary beside " + path;
  }
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written,
                nullptr) &&
      written == text.size() && FlushFileBuffers(file);
  const DWORD write_error = GetLastError();
  CloseHandle(file);
  if (!wrote) {
    DeleteFileA(temporary.c_str());
    return "cannot write " + temporary + ": " + SystemText(write_error);
  }
  if (!MoveFileExA(temporary.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    DeleteFileA(temporary.c_str());
    return "cannot rename " + temporary + " to " + path + ": " +
           SystemText(error);
  }
  return "";
}

}  // namespace rolvex
