#include "undo/undo_run.h"

#include <exception>
#include <memory>
#include <utility>

#include "passes/component_commands.h"
#include "platform/journal/journal_format.h"
#include "platform/rules/ini_document.h"
#include "platform/run_error.h"
#include "platform/sha256.h"

namespace rolvex {
namespace {

// A default no ini value can hold: the key is missing.
constexpr char kMissing[] = "\x01missing\x01";
constexpr int kValueBuffer = 65536;

RunError AsFailure(const std::exception& e) {
  if (const auto* run = dynamic_cast<const RunError*>(&e)) return *run;
  return RunError(kErrPathFileAccess, e.what(), "Undo");
}

// The SHA-256 of a file's content; "" when it cannot be read.
std::string DigestOf(FileSystem& files, const std::string& path) {
  try {
    Sha256 sha;
    files.ReadContent(path, [&](const char* data, std::size_t size) {
      sha.Update(data, size);
    });
    return sha.HexDigest();
  } catch (const std::exception&) {
    return "";
  }
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

}  // namespace

UndoRun::UndoRun(UndoParts parts, RunReport& report,
                 std::function<void(const std::string&)> say)
    : parts_(parts), report_(report), say_(std::move(say)) {}

UndoRun::Found UndoRun::Look(const std::string& path) {
  Found found;
  try {
    const int attributes = parts_.files.GetAttr(path);
    found.exists = true;
    found.folder = (attributes & kAttrDirectory) != 0;
    if (!found.folder) {
      found.size = parts_.files.FileLen(path);
      found.time = parts_.files.DateLastModified(path);
    }
  } catch (const RunError&) {
  }
  return found;
}

bool UndoRun::Matches(const std::optional<FileState>& left,
                      const std::string& path) {
  // No record of what was left: the run was cut off in this very change,
  // and what is there is its doing.
  if (!left) return true;
  const Found now = Look(path);
  if (!left->size) return !now.exists;
  if (!now.exists || now.folder || now.size != *left->size ||
      now.time != left->time) {
    return false;
  }
  if (left->digest.empty()) return true;
  return DigestOf(parts_.files, path) == left->digest;
}

bool UndoRun::Restorable(const PathRecord& record) {
  switch (record.before) {
    case PathRecord::Before::kNone:
      return !Look(record.path).exists || Matches(record.left, record.path);
    case PathRecord::Before::kFile: {
      if (Matches(record.left, record.path)) return true;
      // Already as it was: putting it back again changes nothing.
      const Found now = Look(record.path);
      const Found was =
          Look(folder_ + "\\" + kJournalSavedFolder + "\\" + record.saved);
      return now.exists && !now.folder && was.exists && now.size == was.size &&
             now.time == was.time;
    }
    default:
      return true;
  }
}

void UndoRun::Begin(const std::string& source, const std::string& target,
                    ReportAction action) {
  report_.BeginEntry();
  report_.SetPlaces(source, target);
  report_.SetAction(action);
  target_ = target;
}

void UndoRun::Done(const std::string& verb) {
  report_.NoteChanged();
  report_.EndEntry();
  say_(verb + " " + target_);
}

void UndoRun::LeftAlone(const std::string& why) {
  report_.Fail(RunError(kErrPathFileAccess, why, "Undo"));
  report_.EndEntry();
  say_("left as it is (" + why + "): " + target_);
}

void UndoRun::Failed(const RunError& failure) {
  report_.Fail(failure);
  report_.EndEntry();
  say_("failed (" + std::to_string(failure.number()) + " " +
       failure.description() + "): " + target_);
}

void UndoRun::Undo(const std::string& journal_folder,
                   const UndoJournal& journal) {
  folder_ = journal_folder;
  restorable_.clear();
  not_replaced_.clear();
  report_.BeginPass("Undo");
  // What a run that was cut off left half made.
  std::set<std::string> folders;
  for (const auto& [key, record] : journal.paths) {
    folders.insert(ParentOf(record.path));
  }
  for (const std::string& folder : folders) {
    if (!folder.empty()) parts_.files.RemoveStaleTemporaries(folder);
  }
  // Decided before anything is put back, from the PC as the undo found it.
  for (const auto& [key, record] : journal.paths) {
    restorable_[key] = Restorable(record);
  }
  for (auto step = journal.steps.rbegin(); step != journal.steps.rend();
       ++step) {
    switch (step->kind) {
      case UndoStep::Kind::kPath:
        if (!not_replaced_.count(step->key)) {
          UndoPath(journal.paths.at(step->key), restorable_[step->key]);
        }
        break;
      case UndoStep::Kind::kCommand:
        UndoCommand(journal, step->command_line);
        break;
      case UndoStep::Kind::kRestart:
        Restart(*step);
        break;
    }
  }
  parts_.files.Flush();
}

bool UndoRun::LooksEmpty(const std::string& folder) {
  try {
    for (std::string name = parts_.files.Dir(folder + "\\*", 31); !name.empty();
         name = parts_.files.DirNext()) {
      if (name != "." && name != "..") return false;
    }
  } catch (const RunError&) {
  }
  return true;
}

void UndoRun::UndoPath(const PathRecord& record, bool restorable) {
  const Found now = Look(record.path);
  switch (record.before) {
    case PathRecord::Before::kNone:
      if (!now.exists) return;
      Begin("", record.path, ReportAction::kRemoved);
      if (!restorable) return LeftAlone("changed since the run");
      try {
        try {
          parts_.files.SetAttr(record.path, kAttrNormal);
        } catch (const RunError&) {
        }
        parts_.files.Kill(record.path);
        Done("removed");
      } catch (const std::exception& e) {
        Failed(AsFailure(e));
      }
      return;
    case PathRecord::Before::kFile:
      if (restorable) return Restore(record);
      if (!record.ini_writes.empty() && now.exists && !now.folder) {
        return RestoreEntries(record);
      }
      Begin(folder_ + "\\" + kJournalSavedFolder + "\\" + record.saved,
            record.path, ReportAction::kRestored);
      return LeftAlone("changed since the run");
    case PathRecord::Before::kFolderMade:
      if (!now.exists || !now.folder) return;
      Begin("", record.path, ReportAction::kFolderRemoved);
      // A file deleted while a process still has it open goes only when
      // that process lets go of it (a component just asked to unregister):
      // an empty listing means a while is all the folder needs.
      for (int wait = 0;; ++wait) {
        try {
          parts_.files.RmDir(record.path);
          return Done("removed folder");
        } catch (const RunError& e) {
          if (e.number() != kErrPathFileAccess) return Failed(e);
          if (wait >= 30 || !LooksEmpty(record.path)) {
            return LeftAlone("holds what the run did not make");
          }
        }
        parts_.clock.Sleep(100);
      }
    case PathRecord::Before::kFolderAttributes:
      if (!now.exists || !now.folder) return;
      Begin("", record.path, ReportAction::kRestored);
      try {
        parts_.files.SetAttr(record.path, record.attributes);
        Done("restored attributes of");
      } catch (const std::exception& e) {
        Failed(AsFailure(e));
      }
      return;
  }
}

void UndoRun::Restore(const PathRecord& record) {
  const std::string saved =
      folder_ + "\\" + kJournalSavedFolder + "\\" + record.saved;
  // A file the run did not change after all, as one whose replacement
  // failed because it was in use, needs nothing: copying over it while it
  // is still in use would fail the same way.
  const Found now = Look(record.path);
  const Found was = Look(saved);
  if (now.exists && !now.folder && was.exists && now.size == was.size &&
      now.time == was.time) {
    try {
      const std::string digest = DigestOf(parts_.files, record.path);
      if (parts_.files.GetAttr(record.path) == record.attributes &&
          !digest.empty() && digest == DigestOf(parts_.files, saved)) {
        return;
      }
    } catch (const RunError&) {
    }
  }
  Begin(saved, record.path, ReportAction::kRestored);
  try {
    // A read-only or hidden file is not copied over; its bits come back
    // from the journal below.
    try {
      parts_.files.SetAttr(record.path, kAttrNormal);
    } catch (const RunError&) {
    }
    parts_.files.FileCopy(saved, record.path);
    parts_.files.SetAttr(record.path, record.attributes);
    Done("restored");
  } catch (const std::exception& e) {
    Failed(AsFailure(e));
  }
}

void UndoRun::RestoreEntries(const PathRecord& record) {
  const std::string saved =
      folder_ + "\\" + kJournalSavedFolder + "\\" + record.saved;
  Begin(saved, record.path, ReportAction::kEntriesRestored);
  // The last value the run wrote into each key.
  std::map<std::string, IniWrite> last;
  std::vector<std::string> order;
  for (const IniWrite& w : record.ini_writes) {
    const std::string key = PathKey(w.section) + "\n" + PathKey(w.key);
    if (last.emplace(key, w).second) {
      order.push_back(key);
    } else {
      last[key] = w;
    }
  }
  int restored = 0, changed = 0, added = 0, refused = 0;
  for (const std::string& key : order) {
    const IniWrite& w = last[key];
    IniDocument written;
    const std::string as_written =
        written.Set(w.section, w.key, w.value)
            ? written.Find(w.section, w.key).value_or(w.value)
            : w.value;
    const std::string now = parts_.profiles.GetString(
        w.section, w.key, kMissing, kValueBuffer, record.path);
    if (now != as_written) {
      ++changed;
      continue;
    }
    const std::string old = parts_.profiles.GetString(
        w.section, w.key, kMissing, kValueBuffer, saved);
    if (old == kMissing) {
      ++added;
      continue;
    }
    if (parts_.profiles.WriteString(w.section, w.key, old, record.path)) {
      ++restored;
    } else {
      ++refused;
    }
  }
  if (restored > 0) report_.NoteChanged();
  std::string why = "changed since the run: " + std::to_string(restored) +
                    " of " + std::to_string(order.size()) + " entries restored";
  if (changed > 0) why += ", " + std::to_string(changed) + " changed since";
  if (added > 0) why += ", " + std::to_string(added) + " added by the run kept";
  if (refused > 0) why += ", " + std::to_string(refused) + " not written";
  LeftAlone(why);
}

void UndoRun::UndoCommand(const UndoJournal& journal, const std::string& line) {
  const std::optional<ComponentCommand> command = ReadComponentCommand(line);
  if (!command) return;
  const std::string key = PathKey(command->component);
  const auto it = journal.paths.find(key);
  // A component whose file the run did not change was registered as it
  // was before.
  if (it == journal.paths.end() || !restorable_[key]) return;
  if (!Look(command->component).exists) return;
  if (command->registers) {
    Begin("", command->component, ReportAction::kUnregistered);
    RunCommand(UnregisterCommand(command->component), "unregistered", false);
  } else if (it->second.before == PathRecord::Before::kFile) {
    Begin("", command->component, ReportAction::kRegistered);
    RunCommand(RegisterCommand(command->component), "registered again", true);
  }
}

void UndoRun::RunCommand(const std::string& line, const std::string& verb,
                         bool must_work) {
  ReportCommand command{line, false, std::nullopt};
  try {
    std::unique_ptr<Process> process = parts_.processes.Start(line);
    if (process) {
      command.started = true;
      while (!process->Wait(100)) {
      }
      command.exit_code = process->ExitCode();
    }
  } catch (const std::exception&) {
  }
  report_.AddCommand(command);
  if (must_work && !command.started) {
    return Failed(
        RunError(kErrFileNotFound, "Could not be started: " + line, "ExecCmd"));
  }
  if (must_work && command.exit_code && *command.exit_code != 0) {
    return Failed(RunError(*command.exit_code,
                           "Ended with exit code " +
                               std::to_string(*command.exit_code) + ": " + line,
                           "ExecCmd"));
  }
  Done(verb);
}

void UndoRun::Restart(const UndoStep& step) {
  if (!parts_.restarts.CancelReplaceAtRestart(step.staged, step.target)) return;
  not_replaced_.insert(PathKey(step.target));
  Begin(step.staged, step.target, ReportAction::kRestartCancelled);
  Done("took back the replacement at the restart of");
}

}  // namespace rolvex
