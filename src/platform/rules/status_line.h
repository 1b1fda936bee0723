// The status label shows its lines joined by line feeds, the newest last.
// A transcript of the window (the console window, the Win32 window's
// standard output) prints each displayed message once: the newest line.
#ifndef ROLVEX_PLATFORM_RULES_STATUS_LINE_H_
#define ROLVEX_PLATFORM_RULES_STATUS_LINE_H_

#include <string>

namespace rolvex {

// The text after the last line feed of `caption`, without a CR that ends it;
// "" for an empty caption.
std::string NewestStatusLine(const std::string& caption);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RULES_STATUS_LINE_H_
