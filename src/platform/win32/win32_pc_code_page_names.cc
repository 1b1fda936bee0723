#include <string>

#include "platform/pc_code_page_names.h"
#include "platform/win32/win32_api.h"

namespace rolvex {

bool PcCodePageNames(const std::string& utf8) {
  if (utf8.empty()) return true;
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                          static_cast<int>(utf8.size()), nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                      static_cast<int>(utf8.size()), wide.data(), length);
  // A PC whose ANSI code page is UTF-8 names everything; that code page
  // takes neither the flag nor the question below.
  if (GetACP() == CP_UTF8) return true;
  BOOL used_default = FALSE;
  const int size =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length,
                          nullptr, 0, nullptr, &used_default);
  return size > 0 && !used_default;
}

}  // namespace rolvex
