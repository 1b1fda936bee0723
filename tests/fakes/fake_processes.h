// Fakes for the platform parts around the passes: a process runner that
// records command lines, a restart scheduler that records requests, and a
// clock that records pauses instead of sleeping.
#ifndef ROLVEX_TESTS_FAKES_FAKE_PROCESSES_H_
#define ROLVEX_TESTS_FAKES_FAKE_PROCESSES_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/process_runner.h"
#include "platform/restart_scheduler.h"

namespace rolvex {

class FakeProcessRunner : public ProcessRunner {
 public:
  // Every command line handed to Start, in order.
  std::vector<std::string> started;
  // Every Wait call's time-out, over all processes.
  std::vector<int> waits;
  // Wait slices a command runs before it ends (default 0: it has ended at
  // the first wait). A command listed in `unstartable` is not started.
  std::map<std::string, int> slices;
  std::vector<std::string> unstartable;
  // The exit code of a command (default 0).
  std::map<std::string, int> exit_codes;
  // Called at every Wait, before it answers (for example to queue a click).
  std::function<void(const std::string& command_line)> on_wait;

  std::unique_ptr<Process> Start(const std::string& command_line) override;
  bool CanStart(const std::string& command_line) override;
};

class FakeRestartScheduler : public RestartScheduler {
 public:
  struct Request {
    std::string source, target;
  };
  std::vector<Request> requests;
  bool result = true;
  // When set, ReplaceAtRestart throws this error number instead.
  int throw_number = 0;

  bool ReplaceAtRestart(const std::string& source,
                        const std::string& target) override;
  // Takes a recorded request out again.
  bool CancelReplaceAtRestart(const std::string& source,
                              const std::string& target) override;
};

class FakeClock : public Clock {
 public:
  std::vector<int> sleeps;
  void Sleep(int milliseconds) override { sleeps.push_back(milliseconds); }
  // "T" followed by the number of seconds: easy to spot in a log line.
  std::string FormatLocal(FileTime time) override {
    return "T" + std::to_string(time);
  }
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_FAKES_FAKE_PROCESSES_H_
