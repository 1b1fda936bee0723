#include "platform/posix/posix_drive_model.h"

#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/posix/posix_folder_index.h"
#include "platform/posix/posix_host_path.h"
#include "platform/posix/posix_prefix_owner.h"
#include "platform/rules/ascii_text.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string Join(const std::string& folder, const std::string& name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path.append(folder);
  if (path.empty() || path.back() != '/') path.push_back('/');
  return path.append(name);
}

// How many folders DriveModel keeps mapped (a few hundred bytes each).
constexpr std::size_t kKnownFolders = 4096;

// Characters Windows refuses inside a file name.
bool IsBadNameChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u < 32) return true;
  switch (c) {
    case '/':
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '?':
    case '*':
      return true;
    default:
      return false;
  }
}

// The host name in `folder` that stands for `name`: an exact match, else the
// case-insensitive match that is first in byte order, else `name` itself.
std::string MatchComponent(const std::string& folder, const std::string& name) {
  if (Exists(Join(folder, name))) return name;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return name;
  std::string best;
  bool found = false;
  while (struct dirent* entry = readdir(dir)) {
    if (!AsciiEqualsIgnoringCase(name, entry->d_name)) continue;
    if (!found || strcmp(entry->d_name, best.c_str()) < 0) {
      best = entry->d_name;
      found = true;
    }
  }
  closedir(dir);
  return found ? best : name;
}

void MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
    throw RunError(kErrPathFileAccess,
                   "Path/File access error: cannot create " + path + ": " +
                       strerror(errno));
  }
}

// mkdir -p for the prefix itself.
void MakeFolders(const std::string& path) {
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos == path.size() || path[pos] == '/') {
      std::string part = path.substr(0, pos);
      if (!IsDirectory(part)) MakeFolder(part);
    }
  }
}

// realpath of the longest existing head of `path`, with the rest appended.
std::string ResolveExistingHead(const std::string& path) {
  std::string head = path;
  std::string tail;
  while (true) {
    char buffer[PATH_MAX];
    if (realpath(head.c_str(), buffer) != nullptr) {
      std::string result = buffer;
      if (!tail.empty()) result = Join(result, tail);
      return result;
    }
    size_t slash = head.find_last_of('/');
    if (slash == std::string::npos || head == "/") return path;
    std::string last = head.substr(slash + 1);
    tail = tail.empty() ? last : last + "/" + tail;
    head = slash == 0 ? "/" : head.substr(0, slash);
  }
}

// True when `path` is `folder` or lies below it.
bool IsBelow(const std::string& path, const std::string& folder) {
  if (folder == "/") return true;
  if (path.compare(0, folder.size(), folder) != 0) return false;
  return path.size() == folder.size() || path[folder.size()] == '/';
}

std::string HostTailToWindows(const std::string& tail) {
  std::string result;
  for (char c : tail) result += (c == '/') ? '\\' : c;
  return result;
}

}  // namespace

DriveModel::DriveModel(std::string prefix, bool indexed)
    : prefix_(std::move(prefix)),
      index_(std::make_shared<FolderIndex>(indexed)) {
  // A relative prefix would change meaning with the current folder.
  if (prefix_.empty() || prefix_[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) != nullptr) prefix_ = Join(cwd, prefix_);
  }
  while (prefix_.size() > 1 && prefix_.back() == '/') prefix_.pop_back();
  dosdevices_ = Join(prefix_, "dosdevices");
  const std::string& dosdevices = dosdevices_;
  if (IsDirectory(dosdevices)) return;
  MakeFolders(prefix_);
  MakeFolder(Join(prefix_, "drive_c"));
  MakeFolder(dosdevices);
  std::string link = Join(dosdevices, "c:");
  if (symlink("../drive_c", link.c_str()) != 0 && errno != EEXIST) {
    throw RunError(kErrPathFileAccess,
                   "Path/File access error: cannot create " + link + ": " +
                       strerror(errno));
  }
}

DriveModel DriveModel::FromEnvironment() {
  const char* index = getenv("ROLVEX_FILE_INDEX");
  const bool indexed = index == nullptr || std::string_view(index) != "off";
  return DriveModel(PrefixFromEnvironment(), indexed);
}

std::string DriveModel::DriveFolder(char letter, bool& from_index) const {
  const std::string& dosdevices = dosdevices_;
  std::string lower_name = std::string(1, letter) + ":";
  FolderIndex::Entry entry;
  switch (index_->Find(dosdevices, lower_name, entry)) {
    case FolderIndex::Answer::kFound:
      // An exact "c:" wins; else the only other spelling there is, "C:".
      return Join(dosdevices, entry.name);
    case FolderIndex::Answer::kMissing:
      return letter == 'z' ? "/" : "";
    case FolderIndex::Answer::kNotIndexed:
      break;
  }
  from_index = false;
  std::string lower = Join(dosdevices, lower_name);
  if (Exists(lower)) return lower;
  char upper_letter = static_cast<char>(letter - 'a' + 'A');
  std::string upper = Join(dosdevices, std::string(1, upper_letter) + ":");
  if (Exists(upper)) return upper;
  if (letter == 'z') return "/";
  return "";
}

std::string DriveModel::ToHost(const std::string& windows_path) const {
  Refresh();
  return Map(windows_path);
}

void DriveModel::Refresh() const { index_->Refresh(); }

void DriveModel::KeepCurrent() const {
  const unsigned long long generation = index_->generation();
  if (kept_generation_ == generation) return;
  recent_count_ = 0;
  folders_.clear();
  kept_generation_ = generation;
}

std::string DriveModel::Map(const std::string& windows_path) const {
  KeepCurrent();
  // Newest first: a run asks about one file several times in a row. A
  // mapping found is made the newest, so that the few asked for every file
  // (the drive, the folders, the log) are not pushed out by the files.
  const std::size_t size = recent_.size();
  for (std::size_t n = 1; n <= recent_count_; ++n) {
    Mapping& known = recent_[(next_recent_ + size - n) % size];
    if (!SamePath(known.windows_path, windows_path)) continue;
    if (n == 1) return known.host_path;
    std::swap(known, recent_[(next_recent_ + size - 1) % size]);
    return recent_[(next_recent_ + size - 1) % size].host_path;
  }
  const unsigned long long generation = kept_generation_;
  bool from_index = true;
  std::string host = MapAnew(windows_path, from_index);
  // Finding a name may have dropped an index (a failed assumption), which
  // changes the generation: such a mapping is not kept.
  if (from_index && index_->generation() == generation) {
    Mapping& slot = recent_[next_recent_];
    next_recent_ = (next_recent_ + 1) % recent_.size();
    if (recent_count_ < recent_.size()) ++recent_count_;
    slot.windows_path = windows_path;
    slot.host_path = host;
  }
  return host;
}

bool DriveModel::MapInKnownFolder(const std::string& p,
                                  std::string& host) const {
  // Only for a path whose folder part names its folder as it stands: no
  // empty, "." or ".." component, no trailing "\\", nothing that the full
  // rules refuse. Its key is then that part with the drive in lower case.
  const std::size_t slash = p.rfind('\\');
  if (slash == std::string::npos || slash <= 2 || slash + 1 == p.size()) {
    return false;
  }
  if (std::memchr(p.data(), '/', p.size()) != nullptr ||
      std::memchr(p.data(), '\0', p.size()) != nullptr) {
    return false;
  }
  // Each component from just after a "\\": not empty, not "." nor "..".
  for (std::size_t start = 3; start <= p.size();) {
    const char* at = static_cast<const char*>(
        std::memchr(p.data() + start, '\\', p.size() - start));
    const std::size_t end =
        at == nullptr ? p.size() : static_cast<std::size_t>(at - p.data());
    const std::size_t length = end - start;
    if (length == 0 || (length <= 2 && p[start] == '.' &&
                        (length == 1 || p[start + 1] == '.'))) {
      return false;
    }
    start = end + 1;
  }
  KeepCurrent();
  key_.assign(p, 0, slash);
  key_[0] = AsciiLower(key_[0]);
  auto known = folders_.find(key_);
  if (known == folders_.end()) return false;
  name_.assign(p, slash + 1);
  FolderIndex::Entry entry;
  switch (index_->Find(known->second, name_, entry)) {
    case FolderIndex::Answer::kFound:
      host = Join(known->second, entry.name);
      // The questions about the file that follow come to this entry.
      index_->NoteFound(host);
      return true;
    case FolderIndex::Answer::kMissing:
      // A name Windows refuses can only be one the host already has.
      for (char c : name_) {
        if (IsBadNameChar(c)) throw RunError::Of(kErrBadFileName);
      }
      host = Join(known->second, name_);
      return true;
    case FolderIndex::Answer::kNotIndexed:
      break;
  }
  return false;
}

std::string DriveModel::MapAnew(const std::string& windows_path,
                                bool& from_index) const {
  const std::string& p = windows_path;
  bool has_drive =
      p.size() >= 2 && p[1] == ':' &&
      ((p[0] >= 'a' && p[0] <= 'z') || (p[0] >= 'A' && p[0] <= 'Z'));
  if (!has_drive || (p.size() > 2 && p[2] != '\\')) {
    throw RunError(kErrPathNotFound, "Path not found: " + p);
  }
  if (std::string host; MapInKnownFolder(p, host)) return host;
  // Split at "\" and fold ".", ".." and empty components away.
  std::vector<std::string_view> parts;
  for (size_t start = 3; start <= p.size();) {
    size_t end = start;
    while (end < p.size() && p[end] != '\\') {
      // "/" and NUL can never be part of a host name: mapping them would
      // reach into another folder or cut the name short.
      if (p[end] == '/' || p[end] == '\0') throw RunError::Of(kErrBadFileName);
      ++end;
    }
    std::string_view part(p.data() + start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  bool trailing_separator = p.size() > 3 && p.back() == '\\';

  // The folder that holds the last component, as an earlier mapping from
  // the index alone found it.
  KeepCurrent();
  std::string parent_key;
  if (parts.size() >= 2) {
    parent_key.reserve(p.size());
    parent_key += AsciiLower(p[0]);
    parent_key += ':';
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
      parent_key += '\\';
      parent_key += parts[i];
    }
  }
  std::string host;
  size_t first = 0;
  if (auto known = folders_.find(parent_key);
      !parent_key.empty() && known != folders_.end()) {
    host = known->second;
    first = parts.size() - 1;
  } else {
    host = DriveFolder(AsciiLower(p[0]), from_index);
    if (host.empty()) throw RunError(kErrPathNotFound, "Path not found: " + p);
  }

  bool looking = true;  // false once a component is missing
  std::string name;
  for (size_t i = first; i < parts.size(); ++i) {
    name.assign(parts[i]);
    FolderIndex::Kind kind = FolderIndex::Kind::kUnknown;
    if (looking) {
      FolderIndex::Entry entry;
      switch (index_->Find(host, name, entry)) {
        case FolderIndex::Answer::kFound:
          host = Join(host, entry.name);
          kind = entry.kind;
          break;
        case FolderIndex::Answer::kMissing:
          host = Join(host, name);
          looking = false;
          break;
        case FolderIndex::Answer::kNotIndexed:
          from_index = false;
          host = Join(host, MatchComponent(host, name));
          if (!Exists(host)) looking = false;
          break;
      }
    } else {
      host = Join(host, name);
    }
    // A name Windows refuses can only be one the host already has.
    if (!looking) {
      for (char c : name) {
        if (IsBadNameChar(c)) throw RunError::Of(kErrBadFileName);
      }
      continue;
    }
    bool must_be_folder = i + 1 < parts.size() || trailing_separator;
    if (kind == FolderIndex::Kind::kFolder && i + 2 == parts.size() &&
        from_index && folders_.size() < kKnownFolders) {
      folders_.emplace(parent_key, host);
    }
    if (!must_be_folder || kind == FolderIndex::Kind::kFolder) continue;
    // A link (or an entry the host did not type) is asked every time: what
    // it leads to can change without a change in any indexed folder.
    from_index = false;
    struct stat st;
    bool is_folder = kind != FolderIndex::Kind::kOther &&
                     stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (!is_folder) throw RunError(kErrPathNotFound, "Path not found: " + p);
    index_->Verify(host, st);
  }
  return host;
}

std::string DriveModel::ToWindows(const std::string& host_path) const {
  std::string absolute = host_path;
  if (absolute.empty() || absolute[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) != nullptr) absolute = Join(cwd, absolute);
  }
  std::string resolved = ResolveExistingHead(absolute);

  std::string best_folder;
  char best_letter = 0;
  DIR* dir = opendir(Join(prefix_, "dosdevices").c_str());
  if (dir != nullptr) {
    while (struct dirent* entry = readdir(dir)) {
      const char* n = entry->d_name;
      char letter = AsciiLower(n[0]);
      if (!(letter >= 'a' && letter <= 'z') || n[1] != ':' || n[2] != '\0') {
        continue;
      }
      char buffer[PATH_MAX];
      std::string link = Join(Join(prefix_, "dosdevices"), n);
      if (realpath(link.c_str(), buffer) == nullptr) continue;
      std::string folder = buffer;
      if (!IsBelow(resolved, folder)) continue;
      // Longest folder wins; on a tie the earlier letter, for a stable answer.
      if (best_letter == 0 || folder.size() > best_folder.size() ||
          (folder.size() == best_folder.size() && letter < best_letter)) {
        best_folder = folder;
        best_letter = letter;
      }
    }
    closedir(dir);
  }
  if (best_letter == 0) {
    best_folder = "/";
    best_letter = 'z';
  }
  std::string tail = best_folder == "/" ? resolved.substr(1)
                                        : resolved.substr(best_folder.size());
  if (!tail.empty() && tail[0] == '/') tail.erase(0, 1);
  while (!tail.empty() && tail.back() == '/') tail.pop_back();
  std::string drive(1, static_cast<char>(best_letter - 'a' + 'A'));
  return drive + ":\\" + HostTailToWindows(tail);
}

std::string DriveModel::ProgramDir() const {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ToWindows(".");
  std::string exe(buffer, static_cast<size_t>(n));
  size_t slash = exe.find_last_of('/');
  std::string folder = slash == 0 ? "/" : exe.substr(0, slash);
  return ToWindows(folder);
}

}  // namespace rolvex
