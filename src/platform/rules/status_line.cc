#include "platform/rules/status_line.h"

namespace rolvex {

std::string NewestStatusLine(const std::string& caption) {
  const std::size_t feed = caption.rfind('\n');
  std::string line =
      feed == std::string::npos ? caption : caption.substr(feed + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace rolvex
