#include "platform/posix/posix_pending_renames.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_temporary.h"

namespace rolvex {

std::string FormatPendingRename(const PendingRename& rename) {
  std::string target_line;
  if (!rename.target.empty()) {
    target_line = (rename.replace_existing ? "!" : "") + rename.target;
  }
  return rename.source + "\n" + target_line + "\n";
}

std::vector<PendingRename> ParsePendingRenames(const std::string& text,
                                               std::string* incomplete) {
  std::vector<std::string> lines;
  std::string::size_type begin = 0;
  while (begin < text.size()) {
    std::string::size_type end = text.find('\n', begin);
    if (end == std::string::npos) {
      if (incomplete) *incomplete = text.substr(begin);
      break;
    }
    std::string line = text.substr(begin, end - begin);
    // A list edited by hand on another system may carry CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    begin = end + 1;
  }
  std::vector<PendingRename> renames;
  std::size_t i = 0;
  for (; i + 1 < lines.size(); i += 2) {
    PendingRename r;
    r.source = lines[i];
    const std::string& target = lines[i + 1];
    r.replace_existing = !target.empty() && target[0] == '!';
    r.target = r.replace_existing ? target.substr(1) : target;
    renames.push_back(std::move(r));
  }
  if (i < lines.size() && incomplete) {
    // A source without its target; anything after it was cut off too.
    *incomplete = lines[i] + (incomplete->empty() ? "" : "\n" + *incomplete);
  }
  return renames;
}

LockedPendingList::LockedPendingList(const std::string& path, bool create)
    : path_(path) {
  // The carrying out replaces the file by renaming; a writer that locked the
  // old file must open the new one, so the lock counts only when the locked
  // file is still the one at `path`.
  for (int attempt = 0; attempt < 100; ++attempt) {
    int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
    fd_ = UniqueFd(open(path.c_str(), flags, 0644));
    if (!fd_.ok()) {
      ok_ = !create && errno == ENOENT;
      return;
    }
    while (flock(fd_.get(), LOCK_EX) == -1 && errno == EINTR) {
    }
    struct stat locked, current;
    if (fstat(fd_.get(), &locked) != 0 || !S_ISREG(locked.st_mode)) break;
    if (stat(path.c_str(), &current) == 0 && locked.st_ino == current.st_ino &&
        locked.st_dev == current.st_dev) {
      ok_ = true;
      if (create) SyncFolderOf(path_);
      return;
    }
    fd_.Close();
  }
  fd_.Close();
}

// Closing the descriptor releases the lock.
LockedPendingList::~LockedPendingList() = default;

std::string LockedPendingList::Read() {
  std::string text;
  // A read error leaves the text read before it; a last entry cut off there
  // reads as incomplete.
  if (fd_.ok()) ReadAll(fd_.get(), text);
  return text;
}

bool LockedPendingList::Append(const std::string& text) {
  if (!fd_.ok()) return false;
  off_t end = lseek(fd_.get(), 0, SEEK_END);
  if (end < 0) return false;
  if (!WriteAll(fd_.get(), text) || fsync(fd_.get()) != 0) {
    // Take a partial record back out, so that the list stays whole.
    if (ftruncate(fd_.get(), end) == 0) fsync(fd_.get());
    return false;
  }
  return true;
}

bool LockedPendingList::Replace(const std::string& text) {
  if (text.empty()) {
    if (unlink(path_.c_str()) != 0 && errno != ENOENT) return false;
    SyncFolderOf(path_);
    return true;
  }
  TemporaryFile fd(path_, 0644);
  if (!fd.ok()) return false;
  bool ok = WriteAll(fd.get(), text) && fsync(fd.get()) == 0;
  if (!ok || fd.Commit() != 0) return false;
  SyncFolderOf(path_);
  return true;
}

}  // namespace rolvex
