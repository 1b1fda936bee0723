// The summary the preview prints after the log lines.
#ifndef ROLVEX_SHELL_PREVIEW_SUMMARY_H_
#define ROLVEX_SHELL_PREVIEW_SUMMARY_H_

#include <ostream>
#include <string>

#include "shell/preview.h"

namespace rolvex {

// What the exit status of a preview says, in a few words.
std::string PreviewStatusMeaning(int exit_status);

// Writes, each under a heading of its own and only when there is something:
// the questions the run would ask (answered Ignore), the folders it would
// create, the files it would copy or delete, the ini entries it would write,
// the command lines it would start, the replacements it would ask for at
// the next restart; then the totals and the exit status.
void WritePreviewSummary(const PreviewOutcome& outcome, std::ostream& out);

}  // namespace rolvex

#endif  // ROLVEX_SHELL_PREVIEW_SUMMARY_H_
