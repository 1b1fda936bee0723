// Starting external programs from one Windows command line.
#ifndef ROLVEX_PLATFORM_PROCESS_RUNNER_H_
#define ROLVEX_PLATFORM_PROCESS_RUNNER_H_

#include <memory>
#include <optional>
#include <string>

namespace rolvex {

// A started process. Destroying it closes its handles; it does not kill the
// process.
class Process {
 public:
  virtual ~Process() = default;
  // Waits up to `milliseconds` for the process to end. True when it has
  // ended, false when the time ran out.
  virtual bool Wait(int milliseconds) = 0;
  // Once Wait has returned true: the process's exit code, as
  // GetExitCodeProcess or waitpid gives it (a POSIX process ended by a
  // signal: 128 + the signal's number); nothing when it cannot be known.
  virtual std::optional<int> ExitCode() = 0;
};

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Starts `command_line` as CreateProcess without an application name would:
  // the first token (or a quoted first token) is the program, the rest is
  // handed over as the program's arguments. No shell is ever involved. The
  // child inherits the environment and current folder. Returns nullptr when
  // the program cannot be started; never throws.
  virtual std::unique_ptr<Process> Start(const std::string& command_line) = 0;
  // Whether Start would find a program to start for `command_line`;
  // starts nothing.
  virtual bool CanStart(const std::string& command_line) = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_PROCESS_RUNNER_H_
