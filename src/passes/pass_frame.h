// The frame the three installation passes share: list the tree, then walk
// its entries with the progress bar, work out each entry's target path,
// let the pass handle the folder or file, and leave the target normal, every
// step guarded and reported the same way.
#ifndef ROLVEX_PASSES_PASS_FRAME_H_
#define ROLVEX_PASSES_PASS_FRAME_H_

#include <functional>
#include <string>

#include "passes/pass_state.h"
#include "passes/step_guard.h"

namespace rolvex {

// What a pass sees while it handles one entry.
struct PassContext {
  PassContext(PassState& state, std::string location);
  // The guard reports through this object: it stays where it was made.
  PassContext(const PassContext&) = delete;
  PassContext& operator=(const PassContext&) = delete;

  // The entry being handled (index 1 to FileCount).
  const FileEntry& entry() const { return state.file_list[index]; }
  bool EntryIsFolder() const;

  PassState& state;
  const std::string location;
  StepGuard guard;
  int index = 0;
  // Working values of the pass. They are not cleared between entries: a step
  // that fails while computing one leaves the previous entry's value, and the
  // following steps work on that. A failed step is reported and the run goes
  // on, so what the later steps then do (and log) follows from the value left
  // in place; clearing it would change which file they name.
  std::string source_path;
  std::string target_path;
};

struct PassHandlers {
  // A folder entry; target_path holds the folder's place on the PC.
  std::function<void(PassContext&)> folder;
  // A file entry; source_path and target_path are set.
  std::function<void(PassContext&)> file;
};

// Runs one pass over ProgramDir\<tree>. The listing comes first and is not
// guarded: its failures (overflow, an entry that vanished) reach the caller
// before anything is installed. From then on every step is guarded; a failure
// is reported by ReportPassError with the place of the current entry.
void RunPass(PassState& state, const std::string& tree,
             const std::string& location, const PassHandlers& handlers);

// The report of a failed pass step: text 14 & " Number:" & number &
// "; Description:" & description & " '" & place & "'; Source:" & source,
// logged and shown, then shown in a box titled "Error" with OK only. The
// place is ProgramDir for a folder entry and ProgramDir & "\" & FileName for a
// file entry (the relative folder is not part of it).
void ReportPassError(PassContext& context, const RunError& failure);

// Creates a missing folder at target_path, logging text 16 & " " & target
// first. The folder counts as missing when the lookup with mask 16 finds
// nothing; with `also_read_attributes` it must also have no readable
// attributes (so an existing hidden or system folder is not made again).
// A failing lookup counts as a missing folder.
void CreateMissingFolder(PassContext& context, bool also_read_attributes);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_PASS_FRAME_H_
