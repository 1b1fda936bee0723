// Starting programs from a Windows command line on POSIX, without a shell.
//
// The line is read as CreateProcess reads it (see command_line_split.h): the
// first token, or a quoted first token, names the program; an unquoted name
// with blanks is tried prefix by prefix and the first existing file wins;
// ".exe" is tried after the name as given when the name has no extension.
// The program is then found like this:
// - a name with "\" or ":" is a Windows path ("/" counting as "\", as on
//   Windows), mapped through the drive model;
// - a name with "/" (and neither of the above) is a host path, taken from the
//   current folder when relative;
// - any other name is looked up along PATH (empty entries are skipped): by
//   its exact name in every folder first, then without regard to letter case
//   folder by folder, as Windows would find "regsvr32" for "RegSvr32"; only
//   executable files count there.
// The rest of the line is split into words by the C runtime's rules and
// handed over as the arguments; argv[0] is the program's host path. The
// program is started with posix_spawn: it never passes through a shell, so a
// name holding ";", "$(...)", quotes or blanks can never run a second
// command. The child inherits environment, current folder and the open file
// descriptors not marked close-on-exec, but for its standard input: that is
// the null device, so that it can never read the operator's answers. When
// the prefix is a Wine prefix (it holds system.reg), the child's WINEPREFIX
// names it, so that Wine's own regsvr32 registers a component into the
// prefix it was installed into and not into ~/.wine.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_PROCESS_RUNNER_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_PROCESS_RUNNER_H_

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/posix/posix_drive_model.h"
#include "platform/process_runner.h"

namespace rolvex {

// What a command line comes to before it is started.
struct ResolvedCommand {
  std::string program;             // host path of the program file
  std::vector<std::string> words;  // the arguments after the program
};

class PosixProcessRunner : public ProcessRunner {
 public:
  explicit PosixProcessRunner(const DriveModel& drives) : drives_(drives) {}

  std::unique_ptr<Process> Start(const std::string& command_line) override;
  bool CanStart(const std::string& command_line) override {
    ResolvedCommand command;
    return command_line.find('\0') == std::string::npos &&
           Resolve(command_line, &command);
  }

  // The program and arguments `command_line` comes to, or false when no
  // reading of the line names an existing program file.
  bool Resolve(const std::string& command_line, ResolvedCommand* out) const;

 private:
  // The host path of the program file `name` names, "" when there is none.
  std::string FindProgram(const std::string& name) const;
  std::string FindOnPath(const std::string& name) const;
  // The child's environment (ending in nullptr); variables made here are
  // kept in `own`.
  std::vector<char*> ChildEnvironment(std::vector<std::string>& own) const;

  const DriveModel& drives_;
};

// A child started by PosixProcessRunner.
class PosixProcess : public Process {
 public:
  explicit PosixProcess(pid_t pid) : pid_(pid) {}
  // Does not kill the child. A child that has not ended yet is remembered
  // and reaped by a later Start or destructor, so it leaves no zombie behind
  // for long.
  ~PosixProcess() override;

  bool Wait(int milliseconds) override;
  std::optional<int> ExitCode() override;

  pid_t pid() const { return pid_; }
  // The wait status once Wait returned true (see waitpid), else -1; -1 also
  // when the status could not be collected.
  int wait_status() const { return wait_status_; }

 private:
  // One waitpid without blocking; true when the child has ended.
  bool Poll();

  pid_t pid_;
  bool ended_ = false;
  int wait_status_ = -1;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_PROCESS_RUNNER_H_
