// Module-wide state of the reporting layer: the window it writes to, the log
// file and the eight lines of the status label.
#ifndef ROLVEX_REPORTING_REPORTING_STATE_H_
#define ROLVEX_REPORTING_REPORTING_STATE_H_

#include <array>
#include <string>

#include "settings/settings_state.h"

namespace rolvex {

class RunReport;

struct ReportingState : SettingsState {
  explicit ReportingState(const PlatformParts& parts)
      : SettingsState(parts), files(parts.files), window(parts.window) {}

  FileSystem& files;
  Window& window;

  // Empty until start-up has resolved "$ServicePack_Log$".
  std::string log_file_path;
  // Index 0 is the oldest line shown, index 7 the newest.
  std::array<std::string, 8> status_lines;

  // The run report the installer's decisions are recorded in; null when no
  // report is asked for (then nothing is recorded). Owned by the program's
  // composition root.
  RunReport* run_report = nullptr;
};

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_REPORTING_STATE_H_
