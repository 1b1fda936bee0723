#include "platform/posix/posix_folder_index.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/posix/posix_host_path.h"
#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

constexpr uint32_t kNameEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr uint32_t kContentEvents = IN_MODIFY | IN_CLOSE_WRITE;
constexpr uint32_t kWatchedEvents = kNameEvents | kContentEvents | IN_ATTRIB |
                                    IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// File systems whose every change goes through this kernel, so that inotify
// reports it. A network or FUSE file system can change behind its back.
bool IsLocalFileSystem(const std::string& folder) {
  struct statfs fs;
  if (statfs(folder.c_str(), &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53UL:      // ext2, ext3, ext4
    case 0x58465342UL:  // xfs
    case 0x9123683EUL:  // btrfs
    case 0x01021994UL:  // tmpfs
    case 0xF2F52010UL:  // f2fs
      return true;
    default:
      return false;
  }
}

FolderIndex::Kind KindOf(unsigned char d_type) {
  if (d_type == DT_DIR) return FolderIndex::Kind::kFolder;
  if (d_type == DT_LNK || d_type == DT_UNKNOWN) {
    return FolderIndex::Kind::kUnknown;
  }
  return FolderIndex::Kind::kOther;
}

constexpr int kHeldFolders = 256;

std::string Below(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

}  // namespace

FolderIndex::FolderIndex(bool enabled)
    : inotify_fd_(enabled ? inotify_init1(IN_NONBLOCK | IN_CLOEXEC) : -1) {
  // Asking an epoll set whether the queue holds anything costs half of a
  // read that finds it empty, and nearly every question finds it empty.
  // Without the set, each Refresh reads the queue itself.
  if (inotify_fd_ < 0) return;
  ready_fd_ = epoll_create1(EPOLL_CLOEXEC);
  struct epoll_event event = {};
  event.events = EPOLLIN;
  if (ready_fd_ >= 0 &&
      epoll_ctl(ready_fd_, EPOLL_CTL_ADD, inotify_fd_, &event) != 0) {
    close(ready_fd_);
    ready_fd_ = -1;
  }
}

FolderIndex::~FolderIndex() {
  for (auto& [wd, listing] : listings_) CloseFolder(listing);
  if (ready_fd_ >= 0) close(ready_fd_);
  if (inotify_fd_ >= 0) close(inotify_fd_);
}

void FolderIndex::Refresh() {
  if (inotify_fd_ < 0 || listings_.empty()) return;
  // The kernel marks the queue ready before the call that queued an event
  // returns, so an answer of "nothing" is as good as an empty read.
  if (ready_fd_ >= 0) {
    struct epoll_event event;
    int ready;
    do {
      ready = epoll_wait(ready_fd_, &event, 1, 0);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) return;
  }
  alignas(struct inotify_event) char buffer[1 << 16];
  while (true) {
    ssize_t n = read(inotify_fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // EAGAIN: nothing more is queued
    // A read returns every queued event that fits: one that left room for
    // the largest event has emptied the queue as of that moment.
    const bool drained =
        static_cast<std::size_t>(n) + sizeof(inotify_event) + NAME_MAX + 1 <=
        sizeof buffer;
    for (ssize_t pos = 0; pos < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + pos);
      pos += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        DropAll();
        continue;
      }
      auto found = listings_.find(event->wd);
      if (found == listings_.end()) continue;
      Listing& listing = found->second;
      if (event->mask &
          (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) {
        const std::vector<std::string> keys = listing.keys;
        for (const std::string& key : keys) ForgetBelow(key);
        continue;
      }
      if (event->len == 0) continue;  // the folder's own times or attributes
      const std::string_view name(event->name);  // ends at the first NUL
      const std::string& folded = Folded(name);
      auto range = listing.names.equal_range(folded);
      auto same = range.first;
      while (same != range.second && same->second.name != name) ++same;
      if ((event->mask & kNameEvents) == 0) {
        if (same == range.second || !same->second.facts) continue;
        if (event->mask & IN_ATTRIB) {
          same->second.facts.reset();
        } else {
          same->second.facts->times_known = false;
        }
        continue;
      }
      ++generation_;
      if (event->mask & (IN_CREATE | IN_MOVED_TO)) {
        Kind kind = (event->mask & IN_ISDIR) ? Kind::kFolder : Kind::kUnknown;
        if (same == range.second) {
          listing.names.emplace(folded,
                                Entry{std::string(name), kind, std::nullopt});
        } else {
          same->second.kind = kind;
          same->second.facts.reset();
        }
      } else if (event->mask & (IN_DELETE | IN_MOVED_FROM)) {
        if (same != range.second) listing.names.erase(same);
        // A folder (or a link to one) of that name may have led on to
        // indexed folders, whose host paths now lead elsewhere or nowhere.
        const std::vector<std::string> keys = listing.keys;
        for (const std::string& key : keys) {
          ForgetBelow(Below(key, std::string(name)));
        }
      }
    }
    if (drained) return;
  }
}

FolderIndex::Answer FolderIndex::Find(const std::string& folder,
                                      const std::string& name, Entry& entry) {
  last_found_ = nullptr;
  Listing* listing = ListingOf(folder);
  if (listing == nullptr) return Answer::kNotIndexed;
  auto range = listing->names.equal_range(Folded(name));
  Entry* best = nullptr;
  for (auto it = range.first; it != range.second; ++it) {
    Entry& candidate = it->second;
    if (candidate.name == name) {
      best = &candidate;
      break;
    }
    if (best == nullptr ||
        strcmp(candidate.name.c_str(), best->name.c_str()) < 0) {
      best = &candidate;
    }
  }
  if (best != nullptr) {
    entry = *best;
    last_found_ = best;
    return Answer::kFound;
  }
  // A failed assumption: the index says missing, the disk says otherwise.
  struct stat st;
  if (lstat(Below(folder, name).c_str(), &st) == 0) {
    Forget(folder);
    return Answer::kNotIndexed;
  }
  return Answer::kMissing;
}

void FolderIndex::Forget(const std::string& folder) { ForgetBelow(folder); }

const std::string& FolderIndex::Folded(std::string_view name) {
  folded_.assign(name);
  for (char& c : folded_) c = AsciiLower(c);
  return folded_;
}

FolderIndex::Entry* FolderIndex::ExactEntry(std::string_view host_path) {
  if (exact_generation_ != generation_) {
    exact_count_ = 0;
    exact_generation_ = generation_;
  }
  // Newest first, and an answer found is made the newest (as the drive
  // model does with its mappings).
  const std::size_t size = exact_.size();
  for (std::size_t n = 1; n <= exact_count_; ++n) {
    Exact& known = exact_[(next_exact_ + size - n) % size];
    if (!SamePath(known.host_path, host_path)) continue;
    if (n > 1) std::swap(known, exact_[(next_exact_ + size - 1) % size]);
    return exact_[(next_exact_ + size - 1) % size].entry;
  }
  const std::size_t slash = host_path.find_last_of('/');
  if (slash == std::string_view::npos || slash + 1 == host_path.size()) {
    return nullptr;
  }
  const std::string_view folder =
      slash == 0 ? std::string_view("/") : host_path.substr(0, slash);
  const std::string_view name = host_path.substr(slash + 1);
  Listing* listing = IndexedAt(folder);
  if (listing == nullptr) return nullptr;
  auto range = listing->names.equal_range(Folded(name));
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second.name != name) continue;
    KeepExact(host_path, &it->second);
    return &it->second;
  }
  return nullptr;
}

void FolderIndex::KeepExact(std::string_view host_path, Entry* entry) {
  if (exact_generation_ != generation_) {
    exact_count_ = 0;
    exact_generation_ = generation_;
  }
  Exact& slot = exact_[next_exact_];
  next_exact_ = (next_exact_ + 1) % exact_.size();
  if (exact_count_ < exact_.size()) ++exact_count_;
  slot.host_path.assign(host_path);
  slot.entry = entry;
}

void FolderIndex::NoteFound(std::string_view host_path) {
  if (last_found_ != nullptr) KeepExact(host_path, last_found_);
  last_found_ = nullptr;
}

const FolderIndex::Facts* FolderIndex::KnownFacts(std::string_view host_path,
                                                  bool with_times) {
  const Entry* entry = ExactEntry(host_path);
  if (entry == nullptr || !entry->facts) return nullptr;
  if (with_times && !entry->facts->times_known) return nullptr;
  return &*entry->facts;
}

unsigned long long FolderIndex::Remember(const std::string& host_path,
                                         const struct stat& st, Facts facts) {
  // A link leads elsewhere; a file with another hard link can be changed
  // through a folder no watch here sees.
  if (S_ISLNK(st.st_mode)) return 0;
  if (!S_ISDIR(st.st_mode) && st.st_nlink != 1) return 0;
  Entry* entry = ExactEntry(host_path);
  if (entry == nullptr) return 0;
  entry->kind = S_ISDIR(st.st_mode) ? Kind::kFolder : Kind::kOther;
  facts.times_known = true;
  facts.stamp = next_stamp_++;
  entry->facts = facts;
  return facts.stamp;
}

void FolderIndex::Verify(const std::string& folder, const struct stat& st) {
  auto known = watch_at_.find(folder);
  if (known == watch_at_.end()) return;
  const Listing& listing = listings_[known->second];
  if (listing.device != st.st_dev || listing.inode != st.st_ino) {
    ForgetBelow(folder);
  }
}

FolderIndex::Listing* FolderIndex::ListingOf(const std::string& folder) {
  if (inotify_fd_ < 0) return nullptr;
  if (Listing* known = IndexedAt(folder)) return known;
  if (refused_.count(folder) != 0) return nullptr;
  if (!IsLocalFileSystem(folder)) {
    refused_[folder] = true;
    return nullptr;
  }
  // The watch comes first: a change made while the folder is being read is
  // then queued, and applying it again later changes nothing.
  int wd = inotify_add_watch(inotify_fd_, folder.c_str(), kWatchedEvents);
  if (wd < 0) {
    if (errno != ENOENT && errno != ENOTDIR) refused_[folder] = true;
    return nullptr;
  }
  auto [it, made] = listings_.try_emplace(wd);
  Listing& listing = it->second;
  if (made) {
    DIR* dir = opendir(folder.c_str());
    struct stat st;
    if (dir != nullptr && fstat(dirfd(dir), &st) == 0) {
      listing.device = st.st_dev;
      listing.inode = st.st_ino;
    }
    if (dir == nullptr) {
      if (errno != ENOENT && errno != ENOTDIR) refused_[folder] = true;
      listings_.erase(it);
      inotify_rm_watch(inotify_fd_, wd);
      return nullptr;
    }
    int err = 0;
    while (true) {
      errno = 0;
      struct dirent* d = readdir(dir);
      if (d == nullptr) {
        err = errno;
        break;
      }
      std::string name = d->d_name;
      if (name == "." || name == "..") continue;
      listing.names.emplace(AsciiLowerCase(name),
                            Entry{name, KindOf(d->d_type), std::nullopt});
    }
    // A few hundred folders are held open; beyond that the entries of a
    // folder are asked by their whole path.
    if (err == 0 && held_folders_ < kHeldFolders) {
      listing.fd = fcntl(dirfd(dir), F_DUPFD_CLOEXEC, 0);
      if (listing.fd >= 0) ++held_folders_;
    }
    closedir(dir);
    // A listing cut short by a read error would answer "missing" for names
    // that are there: such a folder is asked on the disk instead.
    if (err != 0) {
      refused_[folder] = true;
      listings_.erase(it);
      inotify_rm_watch(inotify_fd_, wd);
      return nullptr;
    }
  }
  listing.keys.push_back(folder);
  watch_of_[folder] = wd;
  watch_at_[folder] = wd;
  return &listing;
}

void FolderIndex::ForgetBelow(const std::string& folder) {
  if (folder == "/") {
    DropAll();
    return;
  }
  // The folder itself, then the keys that start with "folder/" (a name such
  // as "folder x" sorts between the two, so they are two ranges).
  const std::string below = folder + "/";
  refused_.erase(folder);
  for (auto it = refused_.lower_bound(below);
       it != refused_.end() && it->first.starts_with(below);) {
    it = refused_.erase(it);
  }
  ++generation_;
  std::vector<std::string> doomed;
  if (watch_of_.count(folder) != 0) doomed.push_back(folder);
  for (auto it = watch_of_.lower_bound(below);
       it != watch_of_.end() && it->first.starts_with(below); ++it) {
    doomed.push_back(it->first);
  }
  for (const std::string& key : doomed) DropKey(key);
}

void FolderIndex::DropKey(const std::string& key) {
  auto it = watch_of_.find(key);
  if (it == watch_of_.end()) return;
  const int wd = it->second;
  watch_of_.erase(it);
  watch_at_.erase(key);
  auto listing = listings_.find(wd);
  if (listing == listings_.end()) return;
  std::vector<std::string>& keys = listing->second.keys;
  std::erase(keys, key);
  if (keys.empty()) {
    CloseFolder(listing->second);
    listings_.erase(listing);
    inotify_rm_watch(inotify_fd_, wd);
  }
}

void FolderIndex::CloseFolder(Listing& listing) {
  if (listing.fd < 0) return;
  close(listing.fd);
  listing.fd = -1;
  --held_folders_;
}

int FolderIndex::FolderDescriptor(std::string_view folder) {
  const Listing* listing = IndexedAt(folder);
  return listing == nullptr ? -1 : listing->fd;
}

FolderIndex::Listing* FolderIndex::IndexedAt(std::string_view folder) {
  if (indexed_generation_ != generation_) {
    indexed_count_ = 0;
    indexed_generation_ = generation_;
  }
  // A run asks about two or three folders in turn (the source's, the
  // target's, the log's): the last few are found without hashing a path.
  const std::size_t size = indexed_.size();
  for (std::size_t n = 1; n <= indexed_count_; ++n) {
    const Indexed& known = indexed_[(next_indexed_ + size - n) % size];
    if (SamePath(known.folder, folder)) return known.listing;
  }
  auto known = watch_at_.find(folder);
  if (known == watch_at_.end()) return nullptr;
  auto listing = listings_.find(known->second);
  if (listing == listings_.end()) return nullptr;
  Indexed& slot = indexed_[next_indexed_];
  next_indexed_ = (next_indexed_ + 1) % size;
  if (indexed_count_ < size) ++indexed_count_;
  slot.folder.assign(folder);
  slot.listing = &listing->second;
  return slot.listing;
}

void FolderIndex::DropAll() {
  ++generation_;
  for (const auto& [wd, listing] : listings_) inotify_rm_watch(inotify_fd_, wd);
  for (auto& [wd, listing] : listings_) CloseFolder(listing);
  listings_.clear();
  watch_of_.clear();
  watch_at_.clear();
  refused_.clear();
}

}  // namespace rolvex
