// The record of a run: what the installer decided and did for each entry of
// its trees, recorded where the decision is made. It is kept for every run
// (ReportingState::run_report); the exit status, the run report a program
// reads after the run and the preview's summary are all read from it, so
// they cannot disagree.
//
// Entries are recorded in the order the run handles them. A pass opens one
// entry per tree entry (BeginEntry), the procedures below it fill in the
// current one, and EndEntry drops it again when nothing happened to it (an
// existing folder). An entry the program ends inside (Abort) stays as it is.
#ifndef ROLVEX_REPORTING_RUN_REPORT_H_
#define ROLVEX_REPORTING_RUN_REPORT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/run_error.h"

namespace rolvex {

enum class ReportAction {
  kNone,  // a failure of the pass outside its entries (its tree's listing)
  kNew,
  kReplaced,
  kKept,
  kFontReplaced,
  kFolderCreated,
  kCopiedWhole,
  kMerged,
  kRegistered,
  kScheduledAtRestart,
  // What an undo does.
  kRestored,
  kRemoved,
  kFolderRemoved,
  kEntriesRestored,
  kUnregistered,
  kRestartCancelled,
};

// In rising order of weight: an entry's outcome is the weightiest it met.
enum class ReportOutcome { kOk, kFailed, kIgnored, kAborted };

// The names the report uses ("font-replaced", "ignored"); "" for kNone.
const char* ActionName(ReportAction action);
const char* OutcomeName(ReportOutcome outcome);

struct ReportError {
  int number = 0;
  std::string description;
  std::string source;
  std::optional<SystemError> system;
};

// One command line a component's entry ran, and how it went.
struct ReportCommand {
  std::string line;
  bool started = false;
  std::optional<int> exit_code;  // none when it could not be known
};

// One ini entry written into an existing file.
struct ReportIniValue {
  std::string section;
  std::string key;
  std::optional<std::string> old_value;  // none when the key was missing
  std::string value;                     // as the log shows it
  // False when the ini file did not take it (read-only, locked, disk
  // full); the log still shows it as written.
  bool written = true;
};

// Why a pack's file was not installed: the pack's seal ("differs": its
// content is not the sealed one; "not-listed": the seal does not name it;
// "unreadable": the seal itself could not be read).
struct ReportSeal {
  std::string state;
  std::string sealed;  // the digest the seal lists, "" when none
  std::string found;   // the digest of the file, "" when not computed
};

struct ReportEntry {
  std::string pass;  // "Standard", "Register" or "Ini"
  std::string source;
  std::string target;
  ReportAction action = ReportAction::kNone;
  // Register entries: the dated copy's decision (new, replaced, kept or
  // scheduled-at-restart) and the command lines run, in order.
  ReportAction copy = ReportAction::kNone;
  std::vector<ReportCommand> commands;
  // Dated copies: the time stamps compared, when they could be read.
  std::optional<std::int64_t> source_time;
  std::optional<std::int64_t> target_time;
  std::optional<ReportIniValue> ini;
  ReportOutcome outcome = ReportOutcome::kOk;
  // The entry's first failure; later ones only raise the outcome.
  std::optional<ReportError> error;
  // Who held the file when the entry's first failure was a file in use.
  std::vector<FileHolder> held_by;
  std::optional<ReportSeal> seal;
  // How often the operator answered Retry.
  int retries = 0;
  // A box of this entry was answered by the program: nobody could answer.
  bool answered_automatically = false;
  // Whether the entry changed anything on the PC: a file copied or
  // scheduled for the restart, a folder made, a font deleted, an ini entry
  // written with another value than it had. Attributes set do not count.
  bool changed = false;
};

class RunReport {
 public:
  // The pass whose entries follow.
  void BeginPass(const std::string& pass);
  // Opens the entry the pass handles next; its places follow with SetPlaces.
  void BeginEntry();
  void SetPlaces(const std::string& source, const std::string& target);
  // Closes the current entry; it is dropped when it has no action and met no
  // failure.
  void EndEntry();

  // The decision about the current entry. A copy decision on a registered
  // component goes to its `copy`; "new" after the font's deletion is
  // "font-replaced".
  void SetAction(ReportAction action);
  void SetTimes(std::optional<std::int64_t> source_time,
                std::optional<std::int64_t> target_time);
  void NoteFontDeleted();
  // The current entry changed something on the PC.
  void NoteChanged() { Current().changed = true; }
  void AddCommand(ReportCommand command);
  // An ini entry written: the first fills the current entry (action merged),
  // every further one is an entry of its own with the same places.
  void AddIniValue(ReportIniValue value);

  // A failure on the current entry; without one open, an entry of the pass
  // with no action is made for it.
  void Fail(const RunError& failure,
            ReportOutcome outcome = ReportOutcome::kFailed);
  void NoteRetry();
  // The current entry's file was held against the pack's seal and refused.
  void NoteSeal(ReportSeal seal) { Current().seal = std::move(seal); }
  // The ini entry just added was not taken by its file: it fails with
  // `failure`.
  void NoteIniValueRefused(const RunError& failure);
  // A mark of the current place in the record, and: every ini entry added
  // since `mark` that its file took is lost after all (a batch whose
  // write-back was refused).
  std::size_t Mark() const {
    return open_ ? entries_.size() - 1 : entries_.size();
  }
  void NoteIniValuesRefusedSince(std::size_t mark, const RunError& failure);
  // The box of the current entry (or, between entries, of the entry that
  // met the failure it belongs to) was answered by the program.
  void NoteAnsweredAutomatically();
  void NoteRestartRequired() { restart_required_ = true; }

  // A warning about the run as a whole (a placeholder left in a target).
  void AddWarning(std::string warning) {
    warnings_.push_back(std::move(warning));
  }
  const std::vector<std::string>& warnings() const { return warnings_; }

  // The log file's path once start-up has resolved it.
  void SetLogPath(const std::string& path) { log_path_ = path; }

  const std::vector<ReportEntry>& entries() const { return entries_; }
  bool restart_required() const { return restart_required_; }
  // Whether any entry met a failure (its outcome is not ok), and how many
  // failures were recorded in all.
  bool failed() const;
  int failures() const { return failures_; }
  const std::string& log_path() const { return log_path_; }

 private:
  ReportEntry& Current();
  void FailEntry(ReportEntry& entry, const RunError& failure,
                 ReportOutcome outcome);

  std::vector<ReportEntry> entries_;
  std::vector<std::string> warnings_;
  std::string pass_;
  bool open_ = false;
  bool font_deleted_ = false;
  bool restart_required_ = false;
  int failures_ = 0;
  std::string log_path_;
};

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_RUN_REPORT_H_
