// How the PC's 8-bit text reads. Names, ini values and language texts are
// bytes in the PC's code page; the log keeps those bytes, and everything
// that shows them to a person or to another program decodes them here.
#ifndef ROLVEX_PLATFORM_CODE_PAGE_H_
#define ROLVEX_PLATFORM_CODE_PAGE_H_

#include <cstddef>
#include <string>
#include <vector>

namespace rolvex {

class CodePage {
 public:
  virtual ~CodePage() = default;

  // `bytes` as UTF-8. Nothing is dropped: a byte the code page leaves
  // undefined becomes the character Windows gives it, or U+FFFD.
  virtual std::string ToUtf8(const std::string& bytes) const = 0;

  // The byte offsets at which the characters of `bytes` begin, followed by
  // bytes.size(): every offset in a single-byte code page, fewer in UTF-8
  // or a double-byte code page. Linear in the length.
  virtual std::vector<std::size_t> CharacterBounds(
      const std::string& bytes) const = 0;

  // UTF-8 text in the character set of the terminal or console the program
  // writes to; a character it cannot show becomes "?".
  virtual std::string ToTerminal(const std::string& utf8) const = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_CODE_PAGE_H_
