// Putting a PC back as it was before a run, from the run's backup journal.
//
// The journal's steps are taken back newest first. A path is put back only
// when it is still what the run left there (size and time, and the digest
// where the run knew it) or already what it was before; anything another
// program changed since is left as it is and reported as a failure of its
// entry, and the undo goes on with the rest. An ini file changed since gets
// back only the entries the run wrote that still hold the run's value,
// written with profile semantics; a key the run added stays. A component
// the run replaced is unregistered, its old file put back and registered
// again with the command that registers it; one the run added is only
// unregistered. A replacement still waiting for the restart is taken back;
// one the restart has carried out is undone as a replaced file.
#ifndef ROLVEX_UNDO_UNDO_RUN_H_
#define ROLVEX_UNDO_UNDO_RUN_H_

#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/process_runner.h"
#include "platform/profile_store.h"
#include "platform/restart_scheduler.h"
#include "reporting/run_report.h"
#include "undo/undo_journal.h"

namespace rolvex {

struct UndoParts {
  FileSystem& files;
  ProfileStore& profiles;
  ProcessRunner& processes;
  RestartScheduler& restarts;
  Clock& clock;
};

class UndoRun {
 public:
  // Every step goes into `report` (pass "Undo") and is told to `say` as one
  // line.
  UndoRun(UndoParts parts, RunReport& report,
          std::function<void(const std::string&)> say);

  // Undoes the run whose journal, read from the folder `journal_folder`, is
  // `journal`.
  void Undo(const std::string& journal_folder, const UndoJournal& journal);

 private:
  struct Found {
    bool exists = false;
    bool folder = false;
    std::int64_t size = 0;
    FileTime time = 0;
  };

  Found Look(const std::string& path);
  bool Matches(const std::optional<FileState>& left, const std::string& path);
  bool Restorable(const PathRecord& record);
  void UndoPath(const PathRecord& record, bool restorable);
  bool LooksEmpty(const std::string& folder);
  void Restore(const PathRecord& record);
  void RestoreEntries(const PathRecord& record);
  void UndoCommand(const UndoJournal& journal, const std::string& line);
  void RunCommand(const std::string& line, const std::string& verb,
                  bool must_work);
  void Restart(const UndoStep& step);

  // One entry of the report and its line.
  void Begin(const std::string& source, const std::string& target,
             ReportAction action);
  void Done(const std::string& verb);
  void LeftAlone(const std::string& why);
  void Failed(const RunError& failure);

  UndoParts parts_;
  RunReport& report_;
  std::function<void(const std::string&)> say_;
  std::string folder_;
  std::map<std::string, bool> restorable_;
  std::set<std::string> not_replaced_;  // restart targets taken back
  std::string target_;
};

}  // namespace rolvex

#endif  // ROLVEX_UNDO_UNDO_RUN_H_
