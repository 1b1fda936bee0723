// A run's backup journal read back (platform/journal/journal_format.h):
// what each path was before the run first changed it and what the run left
// there, and the run's steps an undo takes back, in the run's order.
#ifndef ROLVEX_UNDO_UNDO_JOURNAL_H_
#define ROLVEX_UNDO_UNDO_JOURNAL_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/journal/journal_format.h"

namespace rolvex {

// A file's size and time (no size: nothing was there), and its SHA-256 when
// the run knew it.
struct FileState {
  std::optional<std::int64_t> size;
  std::int64_t time = 0;
  std::string digest;
};

struct IniWrite {
  std::string section, key, value;
};

struct PathRecord {
  enum class Before { kNone, kFile, kFolderMade, kFolderAttributes };
  std::string path;
  Before before = Before::kNone;
  std::string saved;  // kFile: the saved copy's name in the journal folder
  int attributes = 0;
  std::optional<FileState> left;  // what the run left, when recorded
  std::vector<IniWrite> ini_writes;
};

struct UndoStep {
  enum class Kind { kPath, kCommand, kRestart };
  Kind kind;
  std::string key;  // kPath: the path's key in UndoJournal::paths
  std::string command_line;
  std::string staged, target;  // kRestart
};

struct UndoJournal {
  std::string pack_folder;
  std::int64_t started = 0;
  bool ended = false;
  bool undone = false;
  std::map<std::string, PathRecord> paths;  // by upper-cased path
  std::vector<UndoStep> steps;              // in the run's order
};

// The journal of `text`; nullopt when it does not start with a journal's
// first line of a known format.
std::optional<UndoJournal> ReadUndoJournal(const std::string& text);

// The key of a path in UndoJournal::paths.
std::string PathKey(const std::string& path);

}  // namespace rolvex

#endif  // ROLVEX_UNDO_UNDO_JOURNAL_H_
