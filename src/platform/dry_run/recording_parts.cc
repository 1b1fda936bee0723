#include "platform/dry_run/recording_parts.h"

#include <exception>

#include "platform/rules/command_line_split.h"

namespace rolvex {
namespace {

class EndedProcess : public Process {
 public:
  bool Wait(int milliseconds) override {
    (void)milliseconds;
    return true;
  }
  // A preview cannot know how a program would end.
  std::optional<int> ExitCode() override { return std::nullopt; }
};

}  // namespace

bool RecordingProcessRunner::CanStart(const std::string& command_line) {
  for (const ProgramCandidate& candidate : ProgramCandidates(command_line)) {
    for (const std::string& name : ProgramFileNames(candidate.program)) {
      if (name.find_first_of("\\:") == std::string::npos) continue;
      try {
        if (!files_.Dir(name, 15).empty()) return true;
      } catch (const std::exception&) {
        // No drive for it: not this reading.
      }
    }
  }
  return real_.CanStart(command_line);
}

std::unique_ptr<Process> RecordingProcessRunner::Start(
    const std::string& command_line) {
  command_lines_.push_back(command_line);
  if (!CanStart(command_line)) return nullptr;
  return std::make_unique<EndedProcess>();
}

bool RecordingRestartScheduler::CancelReplaceAtRestart(
    const std::string& source, const std::string& target) {
  cancelled_.push_back({source, target});
  return true;
}

bool RecordingRestartScheduler::ReplaceAtRestart(const std::string& source,
                                                 const std::string& target) {
  requests_.push_back({source, target});
  return true;
}

}  // namespace rolvex
