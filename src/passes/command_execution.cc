#include "passes/command_execution.h"

#include <exception>
#include <memory>

namespace rolvex {
namespace {

constexpr int kWaitSliceMs = 100;

// One wait slice. A wait that fails ends the waiting, as WAIT_FAILED does: the
// caller cannot learn more about the process than that.
bool WaitSlice(Process* process) {
  if (process == nullptr) return true;  // nothing was started
  try {
    return process->Wait(kWaitSliceMs);
  } catch (const std::exception&) {
    return true;
  }
}

}  // namespace

CommandResult ExecCmd(PassState& state, const std::string& command_line) {
  // Destroying the process object at the end closes its handles.
  std::unique_ptr<Process> process = state.processes.Start(command_line);
  for (;;) {
    const bool ended = WaitSlice(process.get());
    // After every wait, whatever its outcome: the buttons stay live while a
    // registration runs.
    state.window.DoEvents();
    if (ended) break;
  }
  CommandResult result;
  result.started = process != nullptr;
  if (process) {
    try {
      result.exit_code = process->ExitCode();
    } catch (const std::exception&) {
    }
  }
  return result;
}

}  // namespace rolvex
