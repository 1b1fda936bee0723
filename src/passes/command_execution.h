// Running one external command line to its end.
#ifndef ROLVEX_PASSES_COMMAND_EXECUTION_H_
#define ROLVEX_PASSES_COMMAND_EXECUTION_H_

#include <optional>
#include <string>

#include "passes/pass_state.h"

namespace rolvex {

// How a command went: whether it started, and its exit code once it ended
// (nothing when that could not be known).
struct CommandResult {
  bool started = false;
  std::optional<int> exit_code;
};

// Starts `command_line` unchanged and waits for the process in slices of
// 100 ms, letting the window process its events after every slice (so the
// buttons stay live). A command that cannot be started returns after one
// round of events. Reports nothing, logs nothing, never throws. There is no
// overall time limit. The result is for the record; the run itself does not
// look at it.
CommandResult ExecCmd(PassState& state, const std::string& command_line);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_COMMAND_EXECUTION_H_
