#include "platform/posix/posix_drive_model.h"

#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/posix/posix_folder_names.h"
#include "platform/posix/posix_host_path.h"
#include "platform/posix/posix_prefix_owner.h"
#include "platform/rules/ascii_text.h"
#include "platform/rules/windows_path.h"
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

// Characters Windows refuses inside a file name.
bool IsBadNameChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u < 32) return true;
  switch (c) {
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

// `path` (absolute) without empty and "." components, each ".." taking the
// component before it away, as a shell's "cd" reads a path.
std::string Lexical(const std::string& path) {
  std::vector<std::string> parts;
  for (std::size_t start = 1; start <= path.size();) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(std::move(part));
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  return result.empty() ? "/" : result;
}

std::string HostTailToWindows(const std::string& tail) {
  std::string result;
  for (char c : tail) result += (c == '/') ? '\\' : c;
  return result;
}

}  // namespace

DriveModel::DriveModel(std::string prefix, bool indexed)
    : prefix_(std::move(prefix)),
      indexed_(indexed),
      names_(std::make_shared<FolderNames>(indexed)) {
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

std::string DriveModel::DriveFolder(char letter) const {
  std::string lower = Join(dosdevices_, std::string(1, letter) + ":");
  if (Exists(lower)) return lower;
  char upper_letter = static_cast<char>(letter - 'a' + 'A');
  std::string upper = Join(dosdevices_, std::string(1, upper_letter) + ":");
  if (Exists(upper)) return upper;
  if (letter == 'z') return "/";
  return "";
}

WindowsPath DriveModel::Read(const std::string& windows_path) const {
  const std::string& p = windows_path;
  if (p.find('\0') != std::string::npos) throw RunError::Of(kErrBadFileName);
  // The current folder is only asked for a path that needs it.
  const bool absolute =
      p.size() >= 3 && p[1] == ':' && (p[2] == '\\' || p[2] == '/');
  std::optional<WindowsPath> read =
      ReadWindowsPath(p, absolute ? std::string() : ToWindows("."));
  if (!read) throw RunError(kErrPathNotFound, "Path not found: " + p);
  return std::move(*read);
}

std::string DriveModel::DriveRootOf(const std::string& windows_path) const {
  const std::string drive = DriveFolder(AsciiLower(Read(windows_path).drive));
  if (drive.empty()) {
    throw RunError(kErrPathNotFound, "Path not found: " + windows_path);
  }
  return drive;
}

std::string DriveModel::ToHost(const std::string& windows_path) const {
  return ToHost(windows_path, nullptr);
}

std::string DriveModel::ToHost(const std::string& windows_path,
                               struct stat* found) const {
  if (found != nullptr) found->st_mode = 0;
  const std::string& p = windows_path;
  const WindowsPath read_path = Read(p);
  const WindowsPath* read = &read_path;
  const std::vector<std::string>& parts = read->parts;

  // The path as written, in one call: the common case. The drive's own
  // link is only looked at when that fails.
  std::string host =
      Join(dosdevices_, std::string{AsciiLower(read->drive), ':'});
  for (const std::string& part : parts) host = Join(host, part);
  struct stat st;
  std::size_t first = 0;
  bool whole = lstat(host.c_str(), &st) == 0;
  int err = errno;
  // Z: without a link of its own is the whole machine: the path as written
  // is then tried from "/" in one call as well (a host folder given to the
  // program, such as a backup folder, is named there).
  if (!whole && err == ENOENT && AsciiLower(read->drive) == 'z' &&
      DriveFolder('z') == "/") {
    host.clear();
    for (const std::string& part : parts) host += "/" + part;
    if (host.empty()) host = "/";
    whole = lstat(host.c_str(), &st) == 0;
    err = errno;
  }
  // A new file in a folder that exists as written (a copy's target): only
  // its own name is looked for in other cases.
  if (!whole && err == ENOENT && !parts.empty()) {
    const std::string folder =
        host.substr(0, host.size() - parts.back().size() - 1);
    if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      const std::string& name = parts.back();
      if (std::string other = names_->OtherCase(folder, name); !other.empty()) {
        host = Join(folder, other);
        if (read->folder &&
            (stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
          throw RunError(kErrPathNotFound, "Path not found: " + p);
        }
        return host;
      }
      // A name Windows refuses can only be one the host already has.
      for (char ch : name) {
        if (IsBadNameChar(ch)) throw RunError::Of(kErrBadFileName);
      }
      return host;
    }
  }
  const std::string drive = whole ? "" : DriveFolder(AsciiLower(read->drive));
  if (whole) {
    first = parts.size();
    if (found != nullptr) *found = st;
  } else if (drive.empty()) {
    throw RunError(kErrPathNotFound, "Path not found: " + p);
  } else if (err == ENOTDIR && drive == host.substr(0, drive.size())) {
    throw RunError(kErrPathNotFound, "Path not found: " + p);
  } else {
    host = drive;
  }
  bool looking = true;  // false once a component is missing
  for (std::size_t i = first; i < parts.size(); ++i) {
    const std::string& name = parts[i];
    const bool must_be_folder = i + 1 < parts.size() || read->folder;
    if (looking) {
      std::string exact = Join(host, name);
      if (lstat(exact.c_str(), &st) == 0) {
        host = std::move(exact);
      } else if (std::string other = names_->OtherCase(host, name);
                 !other.empty()) {
        host = Join(host, other);
      } else {
        host = std::move(exact);
        looking = false;
      }
      if (looking && must_be_folder) {
        if (stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
          throw RunError(kErrPathNotFound, "Path not found: " + p);
        }
      }
    } else {
      host = Join(host, name);
    }
    // A name Windows refuses can only be one the host already has.
    if (!looking) {
      for (char c : name) {
        if (IsBadNameChar(c)) throw RunError::Of(kErrBadFileName);
      }
    }
  }
  if (first == parts.size() && read->folder && !parts.empty()) {
    if (stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      throw RunError(kErrPathNotFound, "Path not found: " + p);
    }
  }
  return host;
}

std::string DriveModel::ToWindows(const std::string& host_path) const {
  std::string absolute = host_path;
  if (absolute.empty() || absolute[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) != nullptr) absolute = Join(cwd, absolute);
  }
  absolute = Lexical(absolute);
  // The drives' folders, as objects: a head of the path is a drive's folder
  // when it is the same folder, however either is named.
  struct Drive {
    char letter;
    dev_t device;
    ino_t inode;
  };
  std::vector<Drive> drives;
  bool z_linked = false;
  if (DIR* dir = opendir(dosdevices_.c_str())) {
    while (struct dirent* entry = readdir(dir)) {
      const char* n = entry->d_name;
      char letter = AsciiLower(n[0]);
      if (!(letter >= 'a' && letter <= 'z') || n[1] != ':' || n[2] != '\0') {
        continue;
      }
      if (letter == 'z') z_linked = true;
      struct stat st;
      if (stat(Join(dosdevices_, n).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        drives.push_back({letter, st.st_dev, st.st_ino});
      }
    }
    closedir(dir);
  }
  if (struct stat root; !z_linked && stat("/", &root) == 0) {
    drives.push_back({'z', root.st_dev, root.st_ino});
  }
  // The longest head that is a drive's folder; the earlier letter on a tie.
  auto drive_of = [&](const std::string& path, std::string& tail) -> char {
    std::string head = path;
    while (true) {
      struct stat st;
      char best = 0;
      if (stat(head.c_str(), &st) == 0) {
        for (const Drive& drive : drives) {
          if (drive.device == st.st_dev && drive.inode == st.st_ino &&
              (best == 0 || drive.letter < best)) {
            best = drive.letter;
          }
        }
      }
      if (best != 0) {
        tail = head == "/" ? path.substr(1) : path.substr(head.size());
        return best;
      }
      if (head == "/") return 0;
      const std::size_t slash = head.find_last_of('/');
      head = slash == 0 ? "/" : head.substr(0, slash);
    }
  };
  std::string tail;
  char letter = drive_of(absolute, tail);
  if (letter == 0) letter = drive_of(ResolveExistingHead(absolute), tail);
  if (letter == 0) {
    letter = 'z';
    tail = ResolveExistingHead(absolute).substr(1);
  }
  if (!tail.empty() && tail[0] == '/') tail.erase(0, 1);
  while (!tail.empty() && tail.back() == '/') tail.pop_back();
  std::string drive(1, static_cast<char>(letter - 'a' + 'A'));
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
