#include "platform/win32/win32_transcript.h"

#include "platform/rules/shown_text.h"
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
  // Lines of the text end in CR LF; anything else that would steer a
  // terminal is shown, not sent.
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  std::string bytes;
  for (const char c : ShownText(code_page_, lines)) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  bytes += "\r\n";
  DWORD written = 0;
  if (!WriteFile(static_cast<HANDLE>(output_), bytes.data(),
                 static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    output_ = nullptr;
  }
}

}  // namespace rolvex
