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
//
// Each entry may also keep its facts (what a stat and the stored DOS
// attributes said), so that the many questions a run asks about one file are
// answered without asking the disk again. The watch reports every change of
// an entry's permissions, times, owner, extended attributes (IN_ATTRIB) and
// content (IN_MODIFY, IN_CLOSE_WRITE) made through it, and each such event
// drops the entry's facts (a content change only its size and times). Facts
// are kept only where every change of the object must come through this
// entry: never for a link (what it leads to can change anywhere), and for a
// file only while it has no other hard link. What a watch cannot report is
// not seen before the next event: a write through a shared memory map that is
// still open, a hard link made elsewhere meanwhile and written through, and a
// file system mounted on a name during the run (as for the names themselves).
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_FOLDER_INDEX_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_FOLDER_INDEX_H_

#include <sys/stat.h>

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rolvex {

class FolderIndex {
 public:
  // `enabled` false: nothing is ever indexed (every question goes to disk).
  explicit FolderIndex(bool enabled = true);
  ~FolderIndex();
  FolderIndex(const FolderIndex&) = delete;
  FolderIndex& operator=(const FolderIndex&) = delete;

  enum class Kind { kFolder, kOther, kUnknown };
  // What was read of an entry, as the callers need it.
  struct Facts {
    mode_t mode = 0;               // type and permission bits (stat)
    bool stored = false;           // user.DOSATTRIB is there at all
    bool times_known = true;       // false once the content changed since
    int stored_bits = 0;           // the bits it holds
    long long mtime = 0;           // modification time, seconds
    unsigned long long stamp = 0;  // one per reading: equal stamps, same facts
  };
  struct Entry {
    std::string name;  // as the host spells it
    Kind kind;         // kUnknown: a link, or not told by the host
    std::optional<Facts> facts;
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
  // Tells the index that `host_path` is the path of the entry the last Find
  // found, so that the questions about it that follow find it at once.
  // Call only right after a Find that answered kFound.
  void NoteFound(std::string_view host_path);

  // Checks the index of `folder` (if any) against `st`, the stat of what its
  // path leads to now, and drops it when that is another folder: a link on
  // the way may have been turned elsewhere without a change in any indexed
  // folder.
  void Verify(const std::string& folder, const struct stat& st);

  // Indexes `folder` now, where it can be, so that the facts of its entries
  // can be kept (a search lists a folder before any name in it is mapped).
  void Index(const std::string& folder) { ListingOf(folder); }

  // A descriptor of the indexed `folder` (the one its names were read
  // from), for asking about its entries without a walk of the whole path; -1
  // when there is none. Valid until the next Refresh or Forget.
  int FolderDescriptor(std::string_view folder);

  // Drops the index of `folder` and of everything below it.
  void Forget(const std::string& folder);

  // The facts kept for the entry at `host_path` (an indexed folder, "/",
  // the exact host name), or null; `with_times`: only facts whose
  // modification time is still known. Call Refresh first.
  const Facts* KnownFacts(std::string_view host_path, bool with_times);

  // Keeps `facts` (their stamp is set here) for the entry at `host_path`
  // in an indexed folder, when `st` (its lstat) shows an object that may be
  // trusted as said above. Returns the stamp, or 0 when nothing was kept.
  unsigned long long Remember(const std::string& host_path,
                              const struct stat& st, Facts facts);

  // Changes whenever a name of an indexed folder changes or an index is
  // dropped: a mapping made from the index alone holds while it is the same.
  unsigned long long generation() const { return generation_; }

 private:
  // Hashes std::string and std::string_view alike, so that a part of a
  // path can be looked up without making a string of it.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
      return std::hash<std::string_view>()(text);
    }
  };
  template <typename Value>
  using TextMap =
      std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

  struct Listing {
    // Case-folded name -> the host names that fold to it.
    std::unordered_multimap<std::string, Entry, TextHash, std::equal_to<>>
        names;
    std::vector<std::string> keys;  // the host paths that lead here
    dev_t device = 0;               // the folder the watch is on
    ino_t inode = 0;
    int fd = -1;  // that folder, held open where descriptors allow
  };

  // The listing of `folder`, made when missing; nullptr when not indexable.
  Listing* ListingOf(const std::string& folder);
  // The listing of `folder` if it is indexed already, else null. The last
  // few answers are kept while the generation stays: listings are only
  // dropped together with a change of it.
  Listing* IndexedAt(std::string_view folder);
  // The entry of an indexed folder at exactly that host path, or null. The
  // last few answers are kept while the generation stays: entries are only
  // erased together with a change of it.
  Entry* ExactEntry(std::string_view host_path);
  // `name` folded to lower case, in a buffer that is reused.
  const std::string& Folded(std::string_view name);
  void ForgetBelow(const std::string& folder);
  void DropKey(const std::string& key);
  void DropAll();
  void CloseFolder(Listing& listing);

  int inotify_fd_ = -1;
  int ready_fd_ = -1;  // an epoll set of inotify_fd_ alone, or -1
  std::map<std::string, int> watch_of_;  // host path -> watch, in order
  TextMap<int> watch_at_;                // the same, for lookups
  std::unordered_map<int, Listing> listings_;
  // Folders found not to be indexable; tried again after a drop below them.
  std::map<std::string, bool> refused_;
  unsigned long long generation_ = 1;
  int held_folders_ = 0;  // descriptors held by listings
  // ExactEntry's last answers while exact_generation_, the newest at
  // next_exact_ - 1.
  struct Exact {
    std::string host_path;
    Entry* entry = nullptr;
  };
  void KeepExact(std::string_view host_path, Entry* entry);
  std::array<Exact, 16> exact_;
  std::size_t next_exact_ = 0;
  std::size_t exact_count_ = 0;
  unsigned long long exact_generation_ = 0;
  std::string folded_;
  Entry* last_found_ = nullptr;  // what the last Find found
  struct Indexed {
    std::string folder;
    Listing* listing = nullptr;
  };
  std::array<Indexed, 4> indexed_;  // IndexedAt's last answers
  std::size_t next_indexed_ = 0;
  std::size_t indexed_count_ = 0;
  unsigned long long indexed_generation_ = 0;
  unsigned long long next_stamp_ = 1;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_FOLDER_INDEX_H_
