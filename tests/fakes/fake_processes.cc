#include "fakes/fake_processes.h"

#include <algorithm>

#include "platform/run_error.h"

namespace rolvex {
namespace {

class FakeProcess : public Process {
 public:
  FakeProcess(FakeProcessRunner& runner, std::string command_line, int slices)
      : runner_(runner),
        command_line_(std::move(command_line)),
        slices_left_(slices) {}

  bool Wait(int milliseconds) override {
    runner_.waits.push_back(milliseconds);
    if (runner_.on_wait) runner_.on_wait(command_line_);
    if (slices_left_ == 0) return true;
    --slices_left_;
    return false;
  }
  std::optional<int> ExitCode() override {
    auto it = runner_.exit_codes.find(command_line_);
    return it == runner_.exit_codes.end() ? 0 : it->second;
  }

 private:
  FakeProcessRunner& runner_;
  std::string command_line_;
  int slices_left_;
};

}  // namespace

std::unique_ptr<Process> FakeProcessRunner::Start(
    const std::string& command_line) {
  started.push_back(command_line);
  if (std::find(unstartable.begin(), unstartable.end(), command_line) !=
      unstartable.end()) {
    return nullptr;
  }
  auto it = slices.find(command_line);
  return std::make_unique<FakeProcess>(*this, command_line,
                                       it == slices.end() ? 0 : it->second);
}

bool FakeProcessRunner::CanStart(const std::string& command_line) {
  return std::find(unstartable.begin(), unstartable.end(), command_line) ==
         unstartable.end();
}

bool FakeRestartScheduler::CancelReplaceAtRestart(const std::string& source,
                                                  const std::string& target) {
  for (auto it = requests.begin(); it != requests.end(); ++it) {
    if (it->source == source && it->target == target) {
      requests.erase(it);
      return true;
    }
  }
  return false;
}

bool FakeRestartScheduler::ReplaceAtRestart(const std::string& source,
                                            const std::string& target) {
  if (throw_number != 0) throw RunError::Of(throw_number, "kernel32");
  requests.push_back({source, target});
  return result;
}

}  // namespace rolvex
