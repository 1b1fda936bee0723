#include "platform/dry_run/preview_window.h"

#include <utility>

namespace rolvex {
namespace {

ConsoleWindowOptions OptionsOf(std::string command_line,
                               std::string program_directory) {
  ConsoleWindowOptions options;
  options.command_line = std::move(command_line);
  options.program_directory = std::move(program_directory);
  options.exit = [](int exit_status) { throw ProgramEnded{exit_status}; };
  return options;
}

}  // namespace

PreviewWindow::PreviewWindow(std::string command_line,
                             std::string program_directory,
                             const CodePage& code_page)
    : ConsoleWindow(
          in, out,
          OptionsOf(std::move(command_line), std::move(program_directory)),
          code_page) {}

int PreviewWindow::MessageBox(const std::string& text, int style,
                              const std::string& title) {
  questions_.push_back({text, style, title});
  return style == kMbAbortRetryIgnoreCritical ? kAnswerIgnore : kAnswerOk;
}

}  // namespace rolvex
