// The preview's window: the console window without a terminal and without an
// operator. Nothing is printed; every message box is recorded and answered
// at once (a question with Ignore, so that the rest of the run is still
// foreseen; a notice with OK). The end of the program does not end the
// process: EndProgram throws ProgramEnded, which no step guard catches, so
// the preview regains control with the status the run would end with.
#ifndef ROLVEX_PLATFORM_DRY_RUN_PREVIEW_WINDOW_H_
#define ROLVEX_PLATFORM_DRY_RUN_PREVIEW_WINDOW_H_

#include <sstream>
#include <string>
#include <vector>

#include "platform/console/console_window.h"

namespace rolvex {

// Thrown by PreviewWindow::EndProgram. Deliberately no std::exception: the
// installer's guards let it pass as the end of a program passes everything.
struct ProgramEnded {
  int exit_status;
};

// A message box the run would show.
struct AskedQuestion {
  std::string text;
  int style;  // kMbOk or kMbAbortRetryIgnoreCritical
  std::string title;
};

namespace preview_window_detail {
// The silent streams, made before the console window that uses them.
struct SilentStreams {
  std::istringstream in;
  std::ostream out{nullptr};
};
}  // namespace preview_window_detail

class PreviewWindow : private preview_window_detail::SilentStreams,
                      public ConsoleWindow {
 public:
  PreviewWindow(std::string command_line, std::string program_directory,
                const CodePage& code_page);

  // Records the box; answers Ignore to a question, OK to anything else.
  int MessageBox(const std::string& text, int style,
                 const std::string& title) override;
  // Every box is answered as above, whoever would be at the PC: the preview
  // shows what would be asked.
  void SetUnattended() override {}

  const std::vector<AskedQuestion>& questions() const { return questions_; }

 private:
  std::vector<AskedQuestion> questions_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_DRY_RUN_PREVIEW_WINDOW_H_
