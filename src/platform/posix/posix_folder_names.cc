#include "platform/posix/posix_folder_names.h"

#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

constexpr uint32_t kWatched = IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                              IN_MOVED_TO | IN_DELETE_SELF | IN_ONLYDIR;

// File systems whose every change goes through this kernel, so that inotify
// reports it.
bool IsLocal(const struct statfs& fs) {
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53UL:      // ext2, ext3, ext4
    case 0x58465342UL:  // xfs
    case 0x9123683EUL:  // btrfs
    case 0x01021994UL:  // tmpfs
    case 0xF2F52010UL:  // f2fs
    case 0x794C7630UL:  // overlayfs
      return true;
    default:
      return false;
  }
}

std::string Below(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace

FolderNames::FolderNames(bool enabled)
    : inotify_fd_(enabled ? inotify_init1(IN_NONBLOCK | IN_CLOEXEC) : -1) {}

FolderNames::~FolderNames() {
  if (inotify_fd_ >= 0) close(inotify_fd_);
}

void FolderNames::ReadQueue() {
  alignas(struct inotify_event) char buffer[1 << 16];
  while (true) {
    ssize_t n = read(inotify_fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // EAGAIN: nothing more is queued
    for (ssize_t pos = 0; pos < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + pos);
      pos += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        listings_.clear();  // read again when next asked
        continue;
      }
      auto found = listings_.find(event->wd);
      if (found == listings_.end()) continue;
      Listing& listing = found->second;
      if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_UNMOUNT)) {
        listings_.erase(found);
        continue;
      }
      if (event->len == 0 || !listing.usable) continue;
      const std::string name(event->name);  // ends at the first NUL
      const std::string folded = AsciiLowerCase(name);
      auto range = listing.names.equal_range(folded);
      auto same = range.first;
      while (same != range.second && same->second != name) ++same;
      if (event->mask & (IN_CREATE | IN_MOVED_TO)) {
        if (same == range.second) listing.names.emplace(folded, name);
      } else if (event->mask & IN_DELETE) {
        if (same != range.second) listing.names.erase(same);
      }
    }
  }
}

std::vector<std::string> FolderNames::Scan(const std::string& folder,
                                           const std::string& folded) {
  std::vector<std::string> found;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return found;
  while (struct dirent* entry = readdir(dir)) {
    if (AsciiEqualsIgnoringCase(folded, entry->d_name)) {
      found.emplace_back(entry->d_name);
    }
  }
  closedir(dir);
  return found;
}

std::string FolderNames::OtherCase(const std::string& folder,
                                   const std::string& name) {
  const std::string folded = AsciiLowerCase(name);
  std::vector<std::string> candidates;
  Listing* listing = nullptr;
  if (inotify_fd_ >= 0) {
    // The watch names the folder object the path leads to now; the queue is
    // read after it, so the list holds every change made up to here.
    const int wd = inotify_add_watch(inotify_fd_, folder.c_str(), kWatched);
    if (wd >= 0) {
      ReadQueue();
      auto [it, made] = listings_.try_emplace(wd);
      listing = &it->second;
      if (made) {
        struct statfs fs;
        DIR* dir = opendir(folder.c_str());
        listing->usable =
            dir != nullptr && fstatfs(dirfd(dir), &fs) == 0 && IsLocal(fs);
        while (listing->usable) {
          errno = 0;
          struct dirent* entry = readdir(dir);
          if (entry == nullptr) {
            // A list cut short would say "missing" of names that are there.
            if (errno != 0) listing->usable = false;
            break;
          }
          listing->names.emplace(AsciiLowerCase(entry->d_name), entry->d_name);
        }
        if (dir != nullptr) closedir(dir);
        if (!listing->usable) listing->names.clear();
      }
      if (!listing->usable) listing = nullptr;
    }
  }
  if (listing != nullptr) {
    auto range = listing->names.equal_range(folded);
    for (auto it = range.first; it != range.second;) {
      if (Exists(Below(folder, it->second))) {
        candidates.push_back(it->second);
        ++it;
      } else {
        it = listing->names.erase(it);  // renamed away since
      }
    }
  } else {
    candidates = Scan(folder, folded);
  }
  std::string best;
  for (const std::string& candidate : candidates) {
    if (candidate == "." || candidate == "..") continue;
    if (best.empty() || strcmp(candidate.c_str(), best.c_str()) < 0) {
      best = candidate;
    }
  }
  return best;
}

}  // namespace rolvex
