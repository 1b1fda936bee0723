// The installer's single output channel: the log file and the eight-line
// status label.
#ifndef ROLVEX_REPORTING_TEXT_OUTPUT_H_
#define ROLVEX_REPORTING_TEXT_OUTPUT_H_

#include <string>

#include "reporting/reporting_state.h"

namespace rolvex {

// Appends `text` unchanged as one line to the log (LogAusgabe) and, unless
// `log_only`, shows it as the newest of the eight status lines and lets the
// window process its events once. A log-only message touches nothing in the
// window and processes no events.
//
// The shown line is `text` itself when it is not strictly wider than
// FrageLabel (measured with the window's text width); otherwise the longest
// beginning of `text` that fits together with "...", followed by "...".
// Should even "..." alone be wider than the label, the shortening stops at the
// empty text and the line reads "..." (clipped by the label): the operator
// still sees that a message came.
//
// The caption of FrageLabel becomes the eight lines joined by a line feed
// (no carriage return), oldest first. A failure of the window itself goes to
// the caller; log failures never do.
void TextAusgabe(ReportingState& state, const std::string& text, bool log_only,
                 const std::string& call_path);

// Appends `text` and CR LF to the file `log_file_path`. Every failure (empty
// path, missing folder or drive, locked file, full disk) is swallowed: the
// line is lost for the log and the caller goes on. The bytes are written as
// they are; they already are in the system's code page.
void LogAusgabe(ReportingState& state, const std::string& text,
                const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_TEXT_OUTPUT_H_
