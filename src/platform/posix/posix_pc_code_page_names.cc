#include "platform/posix/posix_pc_code_page_names.h"

#include <errno.h>
#include <iconv.h>

#include <cstdlib>

namespace rolvex {

bool CodePageNames(const std::string& code_page, const std::string& utf8) {
  // Without a "//TRANSLIT" or "//IGNORE" suffix iconv refuses, rather than
  // approximates, a character the code page lacks.
  const iconv_t cd = iconv_open(code_page.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  char* from = const_cast<char*>(utf8.data());
  std::size_t left = utf8.size();
  bool exact = true;
  char buffer[256];
  while (left > 0 && exact) {
    char* to = buffer;
    std::size_t room = sizeof buffer;
    if (iconv(cd, &from, &left, &to, &room) == static_cast<std::size_t>(-1) &&
        errno != E2BIG) {
      exact = false;
    }
  }
  iconv_close(cd);
  return exact;
}

bool PcCodePageNames(const std::string& utf8) {
  static const std::string code_page = [] {
    const char* named = std::getenv("ROLVEX_CODEPAGE");
    return std::string(named != nullptr && *named != '\0' ? named
                                                          : "WINDOWS-1252");
  }();
  return CodePageNames(code_page, utf8);
}

}  // namespace rolvex
