// A transcript of what the window shows, written to the process's standard
// output when it has one: a program of the Windows subsystem started by
// Explorer has none and writes nothing; started with its output redirected
// (an unattended rollout, a test) it leaves a record of the run. Each status
// message prints as one line (the newest line of the status label), each
// message box as "--- title ---" and its text. Text goes out in the
// console's code page (the ANSI code page to a file or pipe), control
// characters escaped, lines ending in CR LF.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_TRANSCRIPT_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_TRANSCRIPT_H_

#include <string>

#include "platform/win32/win32_code_page.h"

namespace rolvex {

class Win32Transcript {
 public:
  // Looks at the standard output handle once.
  Win32Transcript();

  bool active() const { return output_ != nullptr; }
  // Writes `text` and CR LF; a failed write switches the transcript off.
  void Line(const std::string& text);

 private:
  void* output_ = nullptr;
  Win32CodePage code_page_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_TRANSCRIPT_H_
