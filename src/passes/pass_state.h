// State the installation passes share: the file list of the tree being
// installed, the machine-wide flags and the retry budget.
#ifndef ROLVEX_PASSES_PASS_STATE_H_
#define ROLVEX_PASSES_PASS_STATE_H_

#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/process_runner.h"
#include "platform/restart_scheduler.h"
#include "reporting/reporting_state.h"

namespace rolvex {

// How the program's end tells an unattended rollout what happened.
enum ExitStatus : int {
  kExitCompleted = 0,           // run completed, no failure reported
  kExitCompletedWithFailures = 1,
  kExitByExitButton = 2,        // exit button, before or during a run
  kExitAborted = 3,             // operator's Abort; the cancel latch is set
  kExitLatchSet = 4,            // start refused: the cancel latch was set
  kExitRestartScheduled = 3010  // completed; a replacement awaits a restart
};

struct FileEntry {
  std::string file_name;  // empty for a folder
  std::string relative_path;
  int tag = 0;
  int attributes = 0;
};

struct PassState : ReportingState {
  PassState(ProfileStore& profiles, Environment& environment,
            FileSystem& files, Window& window, ProcessRunner& processes,
            RestartScheduler& restarts, Clock& clock)
      : ReportingState(profiles, environment, files, window),
        processes(processes),
        restarts(restarts),
        clock(clock) {}

  ProcessRunner& processes;
  RestartScheduler& restarts;
  Clock& clock;

  // Entries 1 to file_count are valid; index 0 is never used. The list grows
  // in steps of 1000 up to 32000 entries and never shrinks.
  std::vector<FileEntry> file_list;
  int file_count = 0;
  int file_list_capacity = 0;

  bool all_data_equal = false;
  bool cancel_sp = false;
  // Silent retries spent in this run by the guarded copy and attribute calls.
  int auto_retry_count = 0;

  // What the exit status reports when the run completes.
  int failures_reported = 0;
  bool restart_scheduled = false;
};

}  // namespace rolvex

#endif  // ROLVEX_PASSES_PASS_STATE_H_
