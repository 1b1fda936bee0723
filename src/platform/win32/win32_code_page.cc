#include "platform/win32/win32_code_page.h"

#include <string>

#include "platform/rules/shown_text.h"
#include "platform/win32/win32_api.h"

namespace rolvex {
namespace {

std::wstring Wide(unsigned code_page, const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = MultiByteToWideChar(
      code_page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) {
    MultiByteToWideChar(code_page, 0, bytes.data(),
                        static_cast<int>(bytes.size()), wide.data(), size);
  }
  return wide;
}

std::string Narrow(unsigned code_page, const std::wstring& wide) {
  if (wide.empty()) return {};
  const bool utf8 = code_page == CP_UTF8;
  BOOL lost = FALSE;
  const int size = WideCharToMultiByte(
      code_page, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
      utf8 ? nullptr : "?", utf8 ? nullptr : &lost);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(code_page, 0, wide.data(),
                        static_cast<int>(wide.size()), bytes.data(), size,
                        utf8 ? nullptr : "?", utf8 ? nullptr : &lost);
  }
  return bytes;
}

}  // namespace

Win32CodePage::Win32CodePage() : ansi_(GetACP()), terminal_(GetACP()) {
  DWORD mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
    terminal_ = GetConsoleOutputCP();
  }
}

std::string Win32CodePage::ToUtf8(const std::string& bytes) const {
  return Narrow(CP_UTF8, Wide(ansi_, bytes));
}

std::vector<std::size_t> Win32CodePage::CharacterBounds(
    const std::string& bytes) const {
  if (ansi_ == CP_UTF8) return Utf8Bounds(bytes);
  std::vector<std::size_t> bounds;
  bounds.reserve(bytes.size() + 1);
  for (std::size_t at = 0; at < bytes.size();) {
    bounds.push_back(at);
    at += IsDBCSLeadByteEx(ansi_, static_cast<BYTE>(bytes[at])) &&
                  at + 1 < bytes.size()
              ? 2
              : 1;
  }
  bounds.push_back(bytes.size());
  return bounds;
}

std::string Win32CodePage::ToTerminal(const std::string& utf8) const {
  if (terminal_ == CP_UTF8) return utf8;
  return Narrow(terminal_, Wide(CP_UTF8, utf8));
}

}  // namespace rolvex
