// A code page for tests that need none of the platform's: valid UTF-8 stays
// as it is, other bytes read as Latin-1; the terminal takes UTF-8.
#ifndef ROLVEX_TESTS_FAKES_FAKE_CODE_PAGE_H_
#define ROLVEX_TESTS_FAKES_FAKE_CODE_PAGE_H_

#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/rules/shown_text.h"

namespace rolvex {

class FakeCodePage : public CodePage {
 public:
  std::string ToUtf8(const std::string& bytes) const override {
    if (IsValidUtf8(bytes)) return bytes;
    std::string out;
    for (const char c : bytes) {
      const unsigned char byte = static_cast<unsigned char>(c);
      if (byte < 0x80) {
        out += c;
      } else {
        out += static_cast<char>(0xC0 | (byte >> 6));
        out += static_cast<char>(0x80 | (byte & 0x3F));
      }
    }
    return out;
  }
  std::vector<std::size_t> CharacterBounds(
      const std::string& bytes) const override {
    return IsValidUtf8(bytes) ? Utf8Bounds(bytes) : ByteBounds(bytes);
  }
  std::string ToTerminal(const std::string& utf8) const override {
    return utf8;
  }
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_FAKES_FAKE_CODE_PAGE_H_
