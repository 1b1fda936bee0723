// Directory search of PosixFileSystem: Dir and DirNext.
#include <dirent.h>
#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_errors.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_host_facts.h"
#include "platform/posix/posix_host_path.h"
#include "platform/rules/directory_search.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

// Characters that make a search pattern invalid on Windows (the wildcards
// "*" and "?" are fine in the last component).
bool IsBadPattern(const std::string& pattern) {
  for (char c : pattern) {
    if (static_cast<unsigned char>(c) < 32 || strchr("/<>:\"|", c) != nullptr) {
      return true;
    }
  }
  return false;
}

// Whether a failed stat means that nothing usable is there: no entry, or a
// link that leads nowhere (or round in a loop). Any other failure (no right
// to look into the folder, above all) is an error of the search.
bool NothingThere(int err) {
  return err == ENOENT || err == ENOTDIR || err == ELOOP;
}

// The attributes of the entry `name` of `folder`, or -1 for an entry that
// cannot be used: a link that leads nowhere is not listed, since reading its
// attributes afterwards would fail and stop a whole tree listing. Sets `err`
// for a failure that is no such link.
int EntryAttributes(const std::string& folder, const std::string& name,
                    int& err) {
  std::string path = folder == "/" ? "/" + name : folder + "/" + name;
  HostFacts facts;
  if (!LookUpFacts(path, facts)) {
    if (!NothingThere(errno)) err = errno;
    return -1;
  }
  return AttributeBits(name, facts.mode, facts.stored_bits);
}

}  // namespace

std::string PosixFileSystem::Dir(const std::string& path, int mask) {
  found_.clear();
  next_ = 0;
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) {
    drives_.ToHost(path);
    return "";  // "C:" alone names no entry
  }
  std::string last = path.substr(slash + 1);
  if (last.empty()) {
    drives_.DriveRootOf(path);
    return "";  // "C:\\Folder\\" is no entry either
  }
  // A path that cannot be mapped names a missing folder or entry; only an
  // unusable drive fails the search as a whole.
  auto missing = [&](const RunError& e) {
    if (e.number() != kErrPathNotFound && e.number() != kErrBadFileName) {
      throw e;
    }
    drives_.DriveRootOf(path);
    return std::string();
  };
  if (IsWildcardPattern(last)) {
    const std::string folder = path.substr(0, slash + 1);
    std::string host_folder;
    try {
      host_folder = drives_.ToHost(folder);
    } catch (const RunError& e) {
      return missing(e);
    }
    if (IsBadPattern(last)) throw RunError::Of(kErrBadFileName);
    // The root of a drive has no "." and ".." entries, as on NTFS.
    found_ = SearchFolder(host_folder, last, mask,
                          /*with_dot_entries=*/!drives_.NamesDriveRoot(folder));
    return DirNext();
  }
  std::string host;
  struct stat found;
  try {
    host = drives_.ToHost(path, &found);
  } catch (const RunError& e) {
    return missing(e);
  }
  // "C:\\." or "C:\\Folder\\.." comes to the drive's root, which is no
  // entry of any folder.
  if (drives_.NamesDriveRoot(path)) return "";
  return SearchOne(host, mask, found);
}

std::string PosixFileSystem::DirNext() {
  if (next_ >= found_.size()) return "";
  return found_[next_++];
}

std::vector<std::string> PosixFileSystem::SearchFolder(
    const std::string& host_folder, const std::string& pattern, int mask,
    bool with_dot_entries) {
  std::vector<std::string> names;
  DIR* dir = opendir(host_folder.c_str());
  if (dir == nullptr) {
    // A missing folder holds nothing; one that may not be read is no empty
    // folder (Windows denies the search as well).
    if (NothingThere(errno)) return names;
    throw ErrnoError(errno, kErrPathNotFound);
  }
  int err = 0;
  while (true) {
    // readdir() ends a folder and fails alike, with a null entry; only errno
    // tells them apart. A failure must not pass for the folder's end, or a
    // tree listing would quietly leave out the rest of the folder.
    errno = 0;
    struct dirent* entry = readdir(dir);
    if (entry == nullptr) {
      err = errno;
      break;
    }
    std::string name = entry->d_name;
    if (!WildcardMatches(pattern, name)) continue;
    if (name == "." || name == "..") {
      if (with_dot_entries && (mask & kAttrDirectory) != 0) {
        names.push_back(name);
      }
      continue;
    }
    int attributes = EntryAttributes(host_folder, name, err);
    if (err != 0) break;
    if (attributes >= 0 && PassesMask(attributes, mask)) names.push_back(name);
  }
  closedir(dir);
  if (err != 0) throw ErrnoError(err, kErrFileNotFound);
  SortNtfs(names);
  return names;
}

std::string PosixFileSystem::SearchOne(const std::string& host_path, int mask,
                                       const struct stat& found) {
  // The stored bits only matter when they could hide the entry.
  const bool dos_bits =
      (mask & (kAttrHidden | kAttrSystem)) != (kAttrHidden | kAttrSystem);
  HostFacts facts;
  if (!LookUpFacts(host_path, facts, dos_bits, &found)) {
    if (NothingThere(errno)) return "";
    throw ErrnoError(errno, kErrFileNotFound);
  }
  std::string name = HostName(host_path);
  if (name.empty()) return "";  // the root of Z: has no name of its own
  return PassesMask(AttributeBits(name, facts.mode, facts.stored_bits), mask)
             ? name
             : "";
}

}  // namespace rolvex
