// Starting programs with CreateProcessA(NULL, command line, ...): the system
// finds the program by its own rules for a command line without an
// application name, the child inherits handles, environment and current
// folder, and runs at normal priority with its own default window state.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_PROCESS_RUNNER_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_PROCESS_RUNNER_H_

#include <memory>
#include <string>

#include "platform/process_runner.h"

namespace rolvex {

class Win32ProcessRunner : public ProcessRunner {
 public:
  std::unique_ptr<Process> Start(const std::string& command_line) override;
  // The readings CreateProcess tries (rules/command_line_split.h), each
  // looked for as a path or along the search path (SearchPathA).
  bool CanStart(const std::string& command_line) override;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_PROCESS_RUNNER_H_
