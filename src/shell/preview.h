// The preview: the installer's own start-up and run in mode "2", over
// dry-run parts that read the PC and change nothing on it. What the run
// would do comes from the installer's code itself, not from a second model.
#ifndef ROLVEX_SHELL_PREVIEW_H_
#define ROLVEX_SHELL_PREVIEW_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/dry_run/dry_run_file_system.h"
#include "platform/dry_run/dry_run_profile_store.h"
#include "platform/dry_run/file_probe.h"
#include "platform/dry_run/preview_window.h"
#include "platform/dry_run/recording_parts.h"
#include "platform/environment.h"
#include "reporting/run_report.h"
#include "reporting/run_report_json.h"

namespace rolvex {

// The real parts a preview reads; none of them is asked to change anything.
struct PreviewSources {
  FileSystem& files;
  ProfileStore& profiles;
  Environment& environment;
  Clock& clock;
  FileProbe& probe;
  // Asked only whether a command would start.
  ProcessRunner& processes;
  const CodePage& code_page;
};

// Everything a preview foresaw.
struct PreviewOutcome {
  // How the run would end: 0, 1 (failures foreseen), 3010 (a restart would
  // be needed) or 4 (the cancel latch is set: nothing would run).
  int exit_status = 0;
  // The run report the installer's own decisions were recorded in, entry
  // by entry, exactly as a real run records them.
  RunReport report;
  std::string program_dir;
  std::string version;  // of the service pack, from its Rolvex.ini
  std::int64_t started = 0;
  std::int64_t ended = 0;
  std::string log_file;
  // The lines the run would append to its log, in order.
  std::vector<std::string> log_lines;
  std::vector<ProfileWrite> ini_writes;
  std::vector<std::string> command_lines;
  std::vector<RestartRequest> restart_requests;
  // The message boxes the run would show; a question was answered Ignore.
  std::vector<AskedQuestion> questions;
};

// Runs start-up and the installation as "Rolvex.exe 2" started from
// `program_dir` (a Windows path) would, over dry-run parts on `sources`. A
// failure that escapes the run is reported on `errors` and counts as a
// failure, as it ends the real program.
PreviewOutcome RunPreview(const PreviewSources& sources,
                          const std::string& program_dir, std::ostream& errors);

// Standard output of the preview: the log lines, each on a line of its own,
// then the summary, which starts with the line kPreviewSummaryHeading; with
// `changes_only` just the lines of what would change. Time stamps are shown
// by `clock`; the PC's text as `code_page` shows it.
void WritePreview(const PreviewOutcome& outcome, Clock& clock,
                  const CodePage& code_page, bool changes_only,
                  std::ostream& out);

// "" when `folder` (a Windows path) holds a Standard, Register or Ini folder
// or a Rolvex.ini; else why it is no service pack, for the error output.
std::string NotAServicePack(FileSystem& files, const std::string& folder);

// The preview in the run report's JSON format, marked "preview": true.
std::string PreviewJson(const PreviewOutcome& outcome, const RunFacts& facts,
                        const CodePage& code_page);

inline constexpr char kPreviewSummaryHeading[] = "=== Preview summary ===";

// The preview's command line: [FOLDER] [--json FILE], in any order.
struct PreviewArguments {
  std::string folder;     // "" for the program's own folder
  std::string json_file;  // "" for no report
  bool changes = false;   // --changes: only what would change
  bool help = false;      // -h or --help
  std::string error;      // what is wrong with the words, "" when nothing
};
PreviewArguments ParsePreviewArguments(const std::vector<std::string>& words);

inline constexpr char kPreviewUsage[] =
    "usage: rolvex-preview [FOLDER] [--changes] [--json FILE]\n"
    "Shows what the installer started from FOLDER (default: this program's\n"
    "folder) with mode 2 would do on this PC, without changing anything:\n"
    "the log lines it would write, then a summary; with --changes only\n"
    "what would change, one line each. Exit status: 0 no failure foreseen,\n"
    "1 failures foreseen, 4 the cancel latch is set, 3010 a restart would\n"
    "be needed, 2 the preview could not run or FOLDER is no service pack.\n";

// The exit status of a preview that could not run (bad command line, no
// such folder, no drives).
inline constexpr int kPreviewNotRun = 2;

}  // namespace rolvex

#endif  // ROLVEX_SHELL_PREVIEW_H_
