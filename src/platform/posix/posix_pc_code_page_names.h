// The PC's code page for names on Linux: the one ROLVEX_CODEPAGE names as
// iconv names it, else WINDOWS-1252, the code page of Wine prefixes and of
// the PCs packs are made for.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_PC_CODE_PAGE_NAMES_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_PC_CODE_PAGE_NAMES_H_

#include <string>

#include "platform/pc_code_page_names.h"

namespace rolvex {

// True when iconv converts `utf8` to `code_page` exactly (no
// transliteration); false for a code page iconv does not know.
bool CodePageNames(const std::string& code_page, const std::string& utf8);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_PC_CODE_PAGE_NAMES_H_
