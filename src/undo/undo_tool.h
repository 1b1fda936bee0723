// The undo program's work, shared by rolvex-undo and RolvexUndo.exe:
//
//   rolvex-undo FOLDER [--preview]
//
// FOLDER is a backup folder (ROLVEX_BACKUP of the runs) or one run's
// journal folder in it. Every run journaled there that is not undone yet is
// undone, the newest first; each is then marked as undone. With --preview
// nothing is changed: the same steps are taken over the dry-run parts and
// told. The undo takes the machine's run lock like any run (the program's
// main does), never asks anything, and writes the report of the run
// report's format with "kind": "undo" where ROLVEX_REPORT names a file.
//
// Exit status: 0 when everything was put back, 1 when something was left
// as it is or failed, 2 for a wrong command line or a folder without a
// readable journal, 1618 while another run holds the machine.
#ifndef ROLVEX_UNDO_UNDO_TOOL_H_
#define ROLVEX_UNDO_UNDO_TOOL_H_

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/dry_run/file_probe.h"
#include "reporting/run_report_json.h"
#include "undo/undo_run.h"

namespace rolvex {

struct UndoArguments {
  std::string folder;
  bool preview = false;
};

// The arguments after the program's name; nullopt (with the reason on
// `errors`) when they are not FOLDER and at most --preview.
std::optional<UndoArguments> ParseUndoArguments(
    const std::vector<std::string>& args, std::ostream& errors);

inline constexpr char kUndoUsage[] =
    "usage: rolvex-undo FOLDER [--preview]\n"
    "  Puts the PC back as it was before the runs journaled in FOLDER\n"
    "  (ROLVEX_BACKUP of those runs), the newest first.\n"
    "  --preview  tells what it would do and changes nothing\n";

struct UndoReporting {
  std::string report_path;  // "" for none
  RunFacts facts;
  const CodePage& code_page;
  WholeFileWriter write;
  std::function<std::int64_t()> now;
};

// Undoes the runs of `folder` (a Windows path) with `parts` (the dry-run
// parts for a preview), telling each step on `out`. Returns the exit status.
int RunUndo(const UndoArguments& arguments, UndoParts parts,
            const UndoReporting& reporting, std::ostream& out,
            std::ostream& errors);

// RunUndo over `parts`, or for --preview over the dry-run parts made over
// them, which `probe` lets look at the PC.
int RunUndoOrPreview(const UndoArguments& arguments, UndoParts parts,
                     FileProbe& probe, const UndoReporting& reporting,
                     std::ostream& out, std::ostream& errors);

}  // namespace rolvex

#endif  // ROLVEX_UNDO_UNDO_TOOL_H_
