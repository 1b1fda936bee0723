#include "platform/dry_run/recording_parts.h"

namespace rolvex {
namespace {

class EndedProcess : public Process {
 public:
  bool Wait(int milliseconds) override {
    (void)milliseconds;
    return true;
  }
};

}  // namespace

std::unique_ptr<Process> RecordingProcessRunner::Start(
    const std::string& command_line) {
  command_lines_.push_back(command_line);
  return std::make_unique<EndedProcess>();
}

bool RecordingRestartScheduler::ReplaceAtRestart(const std::string& source,
                                                 const std::string& target) {
  requests_.push_back({source, target});
  return true;
}

}  // namespace rolvex
