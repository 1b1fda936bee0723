// Running one external command line to its end.
#ifndef ROLVEX_PASSES_COMMAND_EXECUTION_H_
#define ROLVEX_PASSES_COMMAND_EXECUTION_H_

#include <string>

#include "passes/pass_state.h"

namespace rolvex {

// Starts `command_line` unchanged and waits for the process in slices of
// 100 ms, letting the window process its events after every slice (so the
// buttons stay live). A command that cannot be started returns after one
// round of events. Reports nothing, logs nothing, never throws; the exit code
// is not read. There is no overall time limit.
void ExecCmd(PassState& state, const std::string& command_line);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_COMMAND_EXECUTION_H_
