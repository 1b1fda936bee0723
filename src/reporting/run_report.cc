#include "reporting/run_report.h"

#include <utility>

#include "settings/ini_access.h"

namespace rolvex {
namespace {

ReportEntry EntryOf(const std::string& pass) {
  ReportEntry entry;
  entry.pass = pass;
  return entry;
}

}  // namespace

const char* ActionName(ReportAction action) {
  switch (action) {
    case ReportAction::kNone:
      return "";
    case ReportAction::kNew:
      return "new";
    case ReportAction::kReplaced:
      return "replaced";
    case ReportAction::kKept:
      return "kept";
    case ReportAction::kFontReplaced:
      return "font-replaced";
    case ReportAction::kFolderCreated:
      return "folder-created";
    case ReportAction::kCopiedWhole:
      return "copied-whole";
    case ReportAction::kMerged:
      return "merged";
    case ReportAction::kRegistered:
      return "registered";
    case ReportAction::kScheduledAtRestart:
      return "scheduled-at-restart";
    case ReportAction::kRestored:
      return "restored";
    case ReportAction::kRemoved:
      return "removed";
    case ReportAction::kFolderRemoved:
      return "folder-removed";
    case ReportAction::kEntriesRestored:
      return "entries-restored";
    case ReportAction::kUnregistered:
      return "unregistered";
    case ReportAction::kRestartCancelled:
      return "restart-cancelled";
  }
  return "";
}

const char* OutcomeName(ReportOutcome outcome) {
  switch (outcome) {
    case ReportOutcome::kOk:
      return "ok";
    case ReportOutcome::kFailed:
      return "failed";
    case ReportOutcome::kIgnored:
      return "ignored";
    case ReportOutcome::kAborted:
      return "aborted";
  }
  return "";
}

void RunReport::BeginPass(const std::string& pass) {
  EndEntry();
  pass_ = pass;
}

void RunReport::BeginEntry() {
  EndEntry();
  entries_.push_back(EntryOf(pass_));
  open_ = true;
  font_deleted_ = false;
}

void RunReport::SetPlaces(const std::string& source,
                          const std::string& target) {
  ReportEntry& entry = Current();
  entry.source = source;
  entry.target = target;
}

void RunReport::EndEntry() {
  if (!open_) return;
  open_ = false;
  const ReportEntry& entry = entries_.back();
  if (entry.action == ReportAction::kNone &&
      entry.outcome == ReportOutcome::kOk) {
    entries_.pop_back();
  }
}

void RunReport::SetAction(ReportAction action) {
  ReportEntry& entry = Current();
  if (entry.action == ReportAction::kRegistered) {
    entry.copy = action;
    return;
  }
  if (action == ReportAction::kNew && font_deleted_) {
    action = ReportAction::kFontReplaced;
  }
  entry.action = action;
}

void RunReport::SetTimes(std::optional<std::int64_t> source_time,
                         std::optional<std::int64_t> target_time) {
  ReportEntry& entry = Current();
  entry.source_time = source_time;
  entry.target_time = target_time;
}

void RunReport::NoteFontDeleted() { font_deleted_ = true; }

void RunReport::AddCommand(ReportCommand command) {
  Current().commands.push_back(std::move(command));
}

void RunReport::AddIniValue(ReportIniValue value) {
  ReportEntry& entry = Current();
  if (entry.ini) {
    // Only the places carry over: the new entry has met no failure yet.
    ReportEntry next = EntryOf(entry.pass);
    next.source = entry.source;
    next.target = entry.target;
    entries_.push_back(std::move(next));
  }
  ReportEntry& written = entries_.back();
  written.action = ReportAction::kMerged;
  // Profile reads drop the blanks around a value, so a value that differs
  // only in them reads the same and changes nothing.
  written.changed = !value.old_value ||
                    TrimBlanks(*value.old_value) != TrimBlanks(value.value);
  written.ini = std::move(value);
}

void RunReport::Fail(const RunError& failure, ReportOutcome outcome) {
  FailEntry(Current(), failure, outcome);
}

void RunReport::FailEntry(ReportEntry& entry, const RunError& failure,
                          ReportOutcome outcome) {
  ++failures_;
  if (!entry.error) {
    entry.error = ReportError{failure.number(), failure.description(),
                              failure.source(), failure.system()};
    entry.held_by = failure.held_by();
  }
  if (outcome > entry.outcome) entry.outcome = outcome;
}

void RunReport::NoteRetry() { ++Current().retries; }

void RunReport::NoteIniValueRefused(const RunError& failure) {
  ReportEntry& entry = Current();
  if (entry.ini) entry.ini->written = false;
  entry.changed = false;
  Fail(failure);
}

void RunReport::NoteIniValuesRefusedSince(std::size_t mark,
                                          const RunError& failure) {
  for (std::size_t i = mark; i < entries_.size(); ++i) {
    ReportEntry& entry = entries_[i];
    if (!entry.ini || !entry.ini->written) continue;
    entry.ini->written = false;
    entry.changed = false;
    FailEntry(entry, failure, ReportOutcome::kFailed);
  }
}

bool RunReport::failed() const {
  for (const ReportEntry& entry : entries_) {
    if (entry.outcome != ReportOutcome::kOk) return true;
  }
  return false;
}

void RunReport::NoteAnsweredAutomatically() {
  // A box between entries follows the failure that made an entry of its
  // own; it belongs to that one.
  ReportEntry& entry = open_ || entries_.empty() ? Current() : entries_.back();
  entry.answered_automatically = true;
}

ReportEntry& RunReport::Current() {
  if (!open_) {
    // A step of the pass outside its entries: it gets an entry of its own,
    // kept however it ends, since only a failure makes one.
    entries_.push_back(EntryOf(pass_));
  }
  return entries_.back();
}

}  // namespace rolvex
