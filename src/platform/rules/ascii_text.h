// Letter case as Windows file, section, key and placeholder names compare
// it: only the 26 ASCII letters have a case. Bytes above 127 are characters
// of the PC's code page and compare as they are, whatever locale the process
// runs in, so a name matches the same on every PC and in both builds.
#ifndef ROLVEX_PLATFORM_RULES_ASCII_TEXT_H_
#define ROLVEX_PLATFORM_RULES_ASCII_TEXT_H_

#include <string>
#include <string_view>

namespace rolvex {

constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` with its ASCII letters upper-cased.
std::string AsciiUpperCase(std::string_view text);
// `text` with its ASCII letters lower-cased.
std::string AsciiLowerCase(std::string_view text);

// True when `a` and `b` are equal but for the case of ASCII letters.
bool AsciiEqualsIgnoringCase(std::string_view a, std::string_view b);

// Orders by byte after upper-casing ASCII letters (so "_" sorts after "Z"
// and after "z"); gives <0, 0 or >0. Names equal but for case compare 0.
int AsciiCompareIgnoringCase(std::string_view a, std::string_view b);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RULES_ASCII_TEXT_H_
