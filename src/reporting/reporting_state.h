// Module-wide state of the reporting layer: the window it writes to, the log
// file and the eight lines of the status label.
#ifndef ROLVEX_REPORTING_REPORTING_STATE_H_
#define ROLVEX_REPORTING_REPORTING_STATE_H_

#include <array>
#include <string>

#include "reporting/run_report.h"
#include "settings/settings_state.h"

namespace rolvex {

struct ReportingState : SettingsState {
  explicit ReportingState(const PlatformParts& parts)
      : SettingsState(parts),
        files(parts.files),
        window(parts.window),
        code_page(parts.code_page) {}

  FileSystem& files;
  Window& window;
  const CodePage& code_page;

  // Empty until start-up has resolved "$ServicePack_Log$".
  std::string log_file_path;
  // Index 0 is the oldest line shown, index 7 the newest.
  std::array<std::string, 8> status_lines;

  // The one record of what the run decided and did, entry by entry: the
  // exit status, the run report and the preview's summary are all read from
  // it, whether a report file is asked for or not.
  RunReport run_report;
};

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_REPORTING_STATE_H_
