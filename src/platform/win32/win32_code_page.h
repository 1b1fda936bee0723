// The PC's code page on Windows: the ANSI code page (CP_ACP), and for the
// terminal the console's output code page, or the ANSI code page when the
// output goes to a file or a pipe.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_CODE_PAGE_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_CODE_PAGE_H_

#include "platform/code_page.h"

namespace rolvex {

class Win32CodePage : public CodePage {
 public:
  Win32CodePage();

  std::string ToUtf8(const std::string& bytes) const override;
  std::vector<std::size_t> CharacterBounds(
      const std::string& bytes) const override;
  std::string ToTerminal(const std::string& utf8) const override;

 private:
  unsigned ansi_;
  unsigned terminal_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_CODE_PAGE_H_
