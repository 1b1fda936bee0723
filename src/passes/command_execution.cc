#include "passes/command_execution.h"

namespace rolvex {

void ExecCmd(PassState& state, const std::string& command_line) {
  (void)state;
  (void)command_line;
}

}  // namespace rolvex
