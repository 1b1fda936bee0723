// The installer's single output channel: the log file and the eight-line
// status label.
#ifndef ROLVEX_REPORTING_TEXT_OUTPUT_H_
#define ROLVEX_REPORTING_TEXT_OUTPUT_H_

#include <string>

#include "reporting/reporting_state.h"

namespace rolvex {

// Appends `text` as one line to the log and, unless `log_only`, shows it as
// the newest of the eight status lines (shortened with "..." to the label's
// width) and lets the window process its events once.
void TextAusgabe(ReportingState& state, const std::string& text, bool log_only,
                 const std::string& call_path);

// Appends `text` and CR LF to the log file; every failure is swallowed.
void LogAusgabe(ReportingState& state, const std::string& text,
                const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_TEXT_OUTPUT_H_
