// Whether a file name survives the PC's ANSI code page. The installer works
// with names in that code page: a name with a character it lacks reaches the
// installer with a stand-in ("?", or a look-alike letter) and names another
// file, or none.
#ifndef ROLVEX_PLATFORM_PC_CODE_PAGE_NAMES_H_
#define ROLVEX_PLATFORM_PC_CODE_PAGE_NAMES_H_

#include <string>

namespace rolvex {

// True when every character of `utf8` (a name in UTF-8) has its own exact
// character in the PC's code page: no best fit, no default character. False
// also for text that is no valid UTF-8. Each backend says which code page
// is the PC's.
bool PcCodePageNames(const std::string& utf8);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_PC_CODE_PAGE_NAMES_H_
