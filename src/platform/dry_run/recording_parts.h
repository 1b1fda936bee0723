// The dry-run parts that only record: the command lines a run would start,
// the replacements it would ask for at the next restart, and a clock whose
// pause between silent retries takes no time (a foreseen failure fails each
// retry at once; counting the retries is what shapes the run).
#ifndef ROLVEX_PLATFORM_DRY_RUN_RECORDING_PARTS_H_
#define ROLVEX_PLATFORM_DRY_RUN_RECORDING_PARTS_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/process_runner.h"
#include "platform/restart_scheduler.h"

namespace rolvex {

// Starts nothing: each command line is recorded and stands for a process
// that has already ended, with an exit code nobody can know, when a program
// would be found for it, and for no process otherwise. A program named by a
// path is looked for in `files` (the PC as the run would have it by then:
// a component the run copies is there); a bare name is left to `real`.
class RecordingProcessRunner : public ProcessRunner {
 public:
  RecordingProcessRunner(ProcessRunner& real, FileSystem& files)
      : real_(real), files_(files) {}
  std::unique_ptr<Process> Start(const std::string& command_line) override;
  bool CanStart(const std::string& command_line) override;
  const std::vector<std::string>& command_lines() const {
    return command_lines_;
  }

 private:
  ProcessRunner& real_;
  FileSystem& files_;
  std::vector<std::string> command_lines_;
};

struct RestartRequest {
  std::string source;
  std::string target;
};

// Schedules nothing: each request is recorded and reported as recorded.
class RecordingRestartScheduler : public RestartScheduler {
 public:
  bool ReplaceAtRestart(const std::string& source,
                        const std::string& target) override;
  // Records the cancellation (in `cancelled`) and reports it as done.
  bool CancelReplaceAtRestart(const std::string& source,
                              const std::string& target) override;
  const std::vector<RestartRequest>& requests() const { return requests_; }
  const std::vector<RestartRequest>& cancelled() const { return cancelled_; }

 private:
  std::vector<RestartRequest> requests_;
  std::vector<RestartRequest> cancelled_;
};

// The real clock's notation of times, without its pauses.
class NoPauseClock : public Clock {
 public:
  explicit NoPauseClock(Clock& real) : real_(real) {}
  void Sleep(int milliseconds) override { (void)milliseconds; }
  std::string FormatLocal(FileTime time) override {
    return real_.FormatLocal(time);
  }

 private:
  Clock& real_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_DRY_RUN_RECORDING_PARTS_H_
