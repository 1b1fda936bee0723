#include "platform/win32_transcript.h"

#include "platform/win32_api.h"

namespace rolvex {

Win32Transcript::Win32Transcript() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE &&
      GetFileType(out) != FILE_TYPE_UNKNOWN) {
    output_ = out;
  }
}

void Win32Transcript::Line(const std::string& text) {
  if (output_ == nullptr) return;
  const std::string bytes = text + "\r\n";
  DWORD written = 0;
  if (!WriteFile(static_cast<HANDLE>(output_), bytes.data(),
                 static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    output_ = nullptr;
  }
}

std::string Win32Transcript::NewestLine(const std::string& caption) {
  std::size_t feed = caption.find_last_of('\n');
  std::string line =
      feed == std::string::npos ? caption : caption.substr(feed + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace rolvex
