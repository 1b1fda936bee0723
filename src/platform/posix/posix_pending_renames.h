// The list of replacements waiting for the next restart, kept in the prefix.
//
// Windows keeps such requests in the registry value PendingFileRenameOperations
// as pairs of names, carried out in order at the next start. The POSIX build
// keeps the same pairs in the text file PREFIX/rolvex-pending-renames.txt,
// two lines per request, each ended by a line feed:
//
//   C:\ServicePacks\SP1\Standard\Windows\System32\a.dll   <- the source
//   !C:\Windows\System32\a.dll                            <- the target
//
// A target starting with "!" replaces an existing file (the only form the
// installer writes, MOVEFILE_REPLACE_EXISTING); a target without "!" is a
// move that fails when the target exists; an empty target line deletes the
// source. Names are Windows paths, mapped through the drive model when the
// list is carried out, as Windows keeps the names it is given. A name holding
// a line feed, a carriage return or a NUL cannot be written.
//
// Every change of the file happens under an exclusive flock of the file: a
// request is appended in one write and flushed to disk before it counts as
// recorded; the carrying out rewrites the file in a TemporaryFile beside
// it (posix_temporary.h) that then takes its place, so that the list is never
// seen half written.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_PENDING_RENAMES_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_PENDING_RENAMES_H_

#include <string>
#include <vector>

#include "platform/posix/posix_file_io.h"

namespace rolvex {

inline constexpr char kPendingRenamesFileName[] = "rolvex-pending-renames.txt";

struct PendingRename {
  std::string source;
  std::string target;  // empty: delete the source
  bool replace_existing = true;

  bool operator==(const PendingRename&) const = default;
};

// The two lines of one request, each ended by "\n".
std::string FormatPendingRename(const PendingRename& rename);

// The requests of a list's text, in order. A final line without its line
// feed, or a source without a target, is the remains of an interrupted
// write: it is left out, and `incomplete` (when given) is set to it.
std::vector<PendingRename> ParsePendingRenames(const std::string& text,
                                               std::string* incomplete);

// The list file of a prefix, locked while the object lives.
class LockedPendingList {
 public:
  // Opens (creating when `create`) and locks the list file at `path`. ok()
  // tells whether that worked; without `create` a missing file is ok() and
  // reads as empty.
  LockedPendingList(const std::string& path, bool create);
  ~LockedPendingList();
  LockedPendingList(const LockedPendingList&) = delete;
  LockedPendingList& operator=(const LockedPendingList&) = delete;

  bool ok() const { return ok_; }
  // The whole text of the list ("" when there is no file).
  std::string Read();
  // Appends `text` in one write and flushes it to disk; true when all of it
  // was written.
  bool Append(const std::string& text);
  // Replaces the list by `text` (removes the file when `text` is empty);
  // true on success.
  bool Replace(const std::string& text);

 private:
  std::string path_;
  UniqueFd fd_;
  bool ok_ = false;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_PENDING_RENAMES_H_
