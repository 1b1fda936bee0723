// Letter-case helpers for the path tests of the passes.
#ifndef ROLVEX_PASSES_PATH_TEXT_H_
#define ROLVEX_PASSES_PATH_TEXT_H_

#include <string>

namespace rolvex {

// `text` with a-z turned to A-Z; other bytes stay as they are (the tests
// below look for plain ASCII names).
inline std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Whether the upper-cased last characters of `path` are `upper_suffix`
// (".TTF", ".EXE").
inline bool EndsWithUpper(const std::string& path,
                          const std::string& upper_suffix) {
  return path.size() >= upper_suffix.size() &&
         UpperCase(path.substr(path.size() - upper_suffix.size())) ==
             upper_suffix;
}

}  // namespace rolvex

#endif  // ROLVEX_PASSES_PATH_TEXT_H_
