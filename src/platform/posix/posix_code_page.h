// The PC's code page on Linux. A prefix has no ANSI code page of its own:
// valid UTF-8 is read as UTF-8 (the Linux way of naming files), anything
// else as Windows-1252, the code page of Wine prefixes and of packs
// written on Windows. ROLVEX_CODEPAGE may name one code page instead, as
// iconv names it ("CP1252", "UTF-8", "CP850").
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_CODE_PAGE_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_CODE_PAGE_H_

#include <iconv.h>

#include <string>

#include "platform/code_page.h"

namespace rolvex {

class PosixCodePage : public CodePage {
 public:
  // `name`: the one code page ("" for the rule above); `terminal`: the
  // terminal's character set ("" for UTF-8).
  PosixCodePage(const std::string& name, const std::string& terminal);
  ~PosixCodePage() override;
  PosixCodePage(const PosixCodePage&) = delete;
  PosixCodePage& operator=(const PosixCodePage&) = delete;

  // ROLVEX_CODEPAGE, and the character set of the locale the environment
  // chooses (LC_ALL, LC_CTYPE, LANG). An unknown ROLVEX_CODEPAGE leaves the
  // rule in force; `unknown` then names it.
  static const PosixCodePage& OfEnvironment(std::string* unknown = nullptr);

  // False when `name` is no code page iconv knows.
  bool known() const { return known_; }

  std::string ToUtf8(const std::string& bytes) const override;
  std::vector<std::size_t> CharacterBounds(
      const std::string& bytes) const override;
  std::string ToTerminal(const std::string& utf8) const override;

 private:
  bool known_ = true;
  bool named_utf8_ = false;
  bool terminal_utf8_ = true;
  iconv_t from_named_ = reinterpret_cast<iconv_t>(-1);
  iconv_t from_1252_ = reinterpret_cast<iconv_t>(-1);
  iconv_t to_terminal_ = reinterpret_cast<iconv_t>(-1);
};

// PosixCodePage::OfEnvironment(); an unknown ROLVEX_CODEPAGE is said on
// standard error, after `program`.
const CodePage& CodePageOfEnvironment(const char* program);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_CODE_PAGE_H_
