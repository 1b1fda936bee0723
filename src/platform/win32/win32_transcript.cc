#include "platform/win32/win32_transcript.h"

#include "platform/win32/win32_api.h"

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

}  // namespace rolvex
