// The summary the preview prints after the log lines.
#ifndef ROLVEX_SHELL_PREVIEW_SUMMARY_H_
#define ROLVEX_SHELL_PREVIEW_SUMMARY_H_

#include <ostream>
#include <string>

#include "shell/preview.h"

namespace rolvex {

// What the exit status of a preview says, in a few words.
std::string PreviewStatusMeaning(int exit_status);

// Writes, from the run report's entries, each group under a heading of its
// own and only when it has entries: the message boxes the run would show
// (a question marked "would ask"); per file its decision (new, replaced and
// kept with both time stamps, font replaced, replaced at the next restart);
// per folder that it would be created; per ini entry added, changed (old ->
// new value) or unchanged, and the files copied whole; per component its
// copy and the unregister and register command lines. An entry that would
// fail says so with the error's number and description. Then the
// replacements asked for at the next restart, the warnings (a placeholder
// left in a target), the totals per pass and action, and the exit status.
// Time stamps are shown by `clock`.
void WritePreviewSummary(const PreviewOutcome& outcome, Clock& clock,
                         std::ostream& out);

// Only what would change, one line each, a word first: "new", "replaced"
// (with both times), "font", "folder", "ini" (old -> new value), "ini
// copied", "component", "at restart"; an entry that would fail starts with
// "would fail", one that would ask the operator with "would ask".
void WritePreviewChangeLines(const PreviewOutcome& outcome, Clock& clock,
                             std::ostream& out);

}  // namespace rolvex

#endif  // ROLVEX_SHELL_PREVIEW_SUMMARY_H_
