// Letter-case helpers for the path tests of the passes.
#ifndef ROLVEX_PASSES_PATH_TEXT_H_
#define ROLVEX_PASSES_PATH_TEXT_H_

#include <string>

#include "platform/rules/ascii_text.h"

namespace rolvex {

// Whether the upper-cased last characters of `path` are `upper_suffix`
// (".TTF", ".EXE").
inline bool EndsWithUpper(const std::string& path,
                          const std::string& upper_suffix) {
  return path.size() >= upper_suffix.size() &&
         AsciiUpperCase(path.substr(path.size() - upper_suffix.size())) ==
             upper_suffix;
}

}  // namespace rolvex

#endif  // ROLVEX_PASSES_PATH_TEXT_H_
