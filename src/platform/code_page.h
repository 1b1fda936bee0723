// How the PC's 8-bit text reads. Names, ini values and language texts are
// bytes in the PC's code page; the log keeps those bytes, and everything
// that shows them to a person or to another program decodes them here.
#ifndef ROLVEX_PLATFORM_CODE_PAGE_H_
#define ROLVEX_PLATFORM_CODE_PAGE_H_

#include <cstddef>
#include <string>

namespace rolvex {

class CodePage {
 public:
  virtual ~CodePage() = default;

  // `bytes` as UTF-8. Nothing is dropped: a byte the code page leaves
  // undefined becomes the character Windows gives it, or U+FFFD.
  virtual std::string ToUtf8(const std::string& bytes) const = 0;

  // How many bytes the character beginning at `at` (< size) takes: 1 in a
  // single-byte code page, more in UTF-8 or a double-byte code page.
  virtual std::size_t CharacterSize(const std::string& bytes,
                                    std::size_t at) const = 0;

  // UTF-8 text in the character set of the terminal or console the program
  // writes to; a character it cannot show becomes "?".
  virtual std::string ToTerminal(const std::string& utf8) const = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_CODE_PAGE_H_
