// State the installation passes share: the file list of the tree being
// installed, the machine-wide flags and the retry budget.
#ifndef ROLVEX_PASSES_PASS_STATE_H_
#define ROLVEX_PASSES_PASS_STATE_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/exit_status.h"
#include "reporting/reporting_state.h"
#include "settings/pack_seal.h"

namespace rolvex {

struct FileEntry {
  std::string file_name;  // empty for a folder
  std::string relative_path;
  int tag = 0;
  int attributes = 0;
};

struct PassState : ReportingState {
  explicit PassState(const PlatformParts& parts)
      : ReportingState(parts),
        processes(parts.processes),
        restarts(parts.restarts),
        clock(parts.clock) {
    // A copy of a large file keeps the window responsive while it runs.
    Window& shown = parts.window;
    parts.files.SetCopyProgress([&shown] { shown.KeepResponsive(); });
  }

  ProcessRunner& processes;
  RestartScheduler& restarts;
  Clock& clock;

  // Entries 1 to file_count are valid; index 0 is never used. The list grows
  // in steps of 1000 up to 32000 entries and never shrinks.
  std::vector<FileEntry> file_list;
  int file_count = 0;
  int file_list_capacity = 0;

  // The pack's seal, when it has one (see passes/seal_verification.h).
  std::optional<PackSeal> seal;
  // The source last found as sealed: a font is checked before its old
  // file is deleted, and the copy that follows need not read it again.
  std::string verified_source;
  // The seal refused the current entry's file: its target is left exactly
  // as it was, attributes included.
  bool seal_refused = false;

  bool all_data_equal = false;
  bool cancel_sp = false;
  // Silent retries spent in this run by the guarded copy and attribute calls.
  int auto_retry_count = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PASSES_PASS_STATE_H_
