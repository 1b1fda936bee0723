// The names of host folders, indexed without regard to letter case, so that
// the drive model can match a Windows path component in memory instead of
// reading the folder again for every file.
//
// What the index trusts, and why that is safe: a folder is listed once (one
// readdir) and an inotify watch is put on it before the listing is read.
// Every creation, removal and rename in the folder, by this process or any
// other on this machine, queues an event before the call that made it
// returns, and every lookup first reads the queued events and applies them.
// So a lookup sees the folder as it is at that moment, as a readdir would.
// Where this cannot be relied on, the folder is simply not indexed and each
// lookup goes to the disk as before:
// - a file system that another machine can change behind the kernel's back
//   (only local ones are indexed: ext2/3/4, xfs, btrfs, tmpfs, f2fs);
// - no watch to be had (the inotify limits), or a folder that cannot be read;
// - a lost event queue (IN_Q_OVERFLOW), which drops the whole index.
// A folder that is removed or renamed, or any name removed or renamed away in
// a folder, also drops the indexes of every folder below that name (their
// host paths no longer lead there). A failed assumption drops the folder: a
// miss whose exact name does exist after all (one lstat checks it).
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_FOLDER_INDEX_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_FOLDER_INDEX_H_

#include <sys/stat.h>

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace rolvex {

class FolderIndex {
 public:
  FolderIndex();
  ~FolderIndex();
  FolderIndex(const FolderIndex&) = delete;
  FolderIndex& operator=(const FolderIndex&) = delete;

  enum class Kind { kFolder, kOther, kUnknown };
  struct Entry {
    std::string name;  // as the host spells it
    Kind kind;         // kUnknown: a link, or not told by the host
  };
  enum class Answer { kFound, kMissing, kNotIndexed };

  // Brings every index up to date with the changes queued since the last
  // call. Cheap when nothing changed (one read that finds no event).
  void Refresh();

  // The entry of `folder` (a host path) that stands for `name`: an exact
  // match, else the case-insensitive match first in byte order (strcmp).
  // kMissing when the folder has no such entry; kNotIndexed when this folder
  // cannot be indexed (the caller then asks the disk). Call Refresh first.
  Answer Find(const std::string& folder, const std::string& name, Entry& entry);

  // Checks the index of `folder` (if any) against `st`, the stat of what its
  // path leads to now, and drops it when that is another folder: a link on
  // the way may have been turned elsewhere without a change in any indexed
  // folder.
  void Verify(const std::string& folder, const struct stat& st);

  // Drops the index of `folder` and of everything below it.
  void Forget(const std::string& folder);

 private:
  struct Listing {
    // Case-folded name -> the host names that fold to it.
    std::unordered_multimap<std::string, Entry> names;
    std::vector<std::string> keys;  // the host paths that lead here
    dev_t device = 0;               // the folder the watch is on
    ino_t inode = 0;
  };

  // The listing of `folder`, made when missing; nullptr when not indexable.
  Listing* ListingOf(const std::string& folder);
  void ForgetBelow(const std::string& folder);
  void DropKey(const std::string& key);
  void DropAll();

  int inotify_fd_ = -1;
  std::map<std::string, int> watch_of_;  // host path -> watch
  std::unordered_map<int, Listing> listings_;
  // Folders found not to be indexable; tried again after a drop below them.
  std::map<std::string, bool> refused_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_FOLDER_INDEX_H_
