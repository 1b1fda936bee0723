// Installing one file with the date check: copied when the target is
// missing, replaced when the source is newer, kept otherwise.
#ifndef ROLVEX_PASSES_DATED_COPY_H_
#define ROLVEX_PASSES_DATED_COPY_H_

#include <limits>
#include <string>

#include "passes/pass_state.h"
#include "platform/file_system.h"

namespace rolvex {

// The zero date-time a time stamp keeps when it could not be read: earlier
// than every real time stamp, shown as "00:00:00" (the text of an empty
// date-time value).
inline constexpr FileTime kZeroDateTime = std::numeric_limits<FileTime>::min();

// A time stamp as the log shows it.
std::string FormatTimeStamp(PassState& state, FileTime time);

// Installs `source_path` as `target_path`:
// - target missing: logs text 17 + " " + source + " " + time + " -> " +
//   target, copies, clears the attributes;
// - target present and (source strictly newer, whole seconds, and
//   `replace_if_newer`, or AllDataEqual): logs text 17 with both times and two
//   blanks before "->", then clears, copies and clears again;
// - otherwise: logs text 28 in the same form and copies nothing.
// An existing target always has its attributes cleared. A missing source
// shows "'" + source + "' nicht vorhanden" (OK, default title) and touches
// nothing. `report` false leaves out the per-file line and that box. Every
// step is guarded: a failure writes text 14 + " Number:" ... " '" + source +
// "' -> '" + target + "'; Source:" ... to the log and the status label (no
// box) and the next step runs; a failed test goes on with its true branch.
// Returns normally except after the operator's Abort in ExFileCopy or
// ExSetAttr, which ends the program.
void DateiKopieren(PassState& state, const std::string& source_path,
                   const std::string& target_path, bool replace_if_newer,
                   bool report, const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_DATED_COPY_H_
