#include "platform/posix/posix_profile_store.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <optional>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_file_lock.h"
#include "platform/rules/ini_document.h"

namespace rolvex {
namespace {

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The bytes of a regular file. Opened without waiting, so that a FIFO that
// happens to carry an ini file's name cannot hang the installer.
bool ReadRegularFile(const std::string& host_path, std::string& bytes) {
  int fd =
      open(host_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  bytes.clear();
  char buffer[1 << 16];
  while (ok) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return ok;
}

bool WriteAll(int fd, const std::string& bytes) {
  const char* data = bytes.data();
  std::size_t size = bytes.size();
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// A new file beside `target`, hidden by its leading dot; -1 when none can be
// made. `mode` is given to open(), so the umask applies.
int CreateTemporary(const std::string& target, mode_t mode,
                    std::string& temp_path) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path = FolderOf(target) + "/.~rolvex-" +
                NameOf(target).substr(0, 200) + "-" + std::to_string(getpid()) +
                "-" + std::to_string(counter++);
    int fd = open(temp_path.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Copies every extended attribute of `source` that this process may set:
// the DOS attributes, and where permitted ACLs and security labels.
void CopyExtendedAttributes(const std::string& source, int fd) {
  ssize_t size = listxattr(source.c_str(), nullptr, 0);
  if (size <= 0) return;
  std::vector<char> names(static_cast<std::size_t>(size));
  size = listxattr(source.c_str(), names.data(), names.size());
  if (size <= 0) return;
  for (ssize_t i = 0; i < size;) {
    const char* name = names.data() + i;
    i += static_cast<ssize_t>(std::string_view(name).size()) + 1;
    ssize_t length = getxattr(source.c_str(), name, nullptr, 0);
    if (length < 0) continue;
    std::vector<char> value(static_cast<std::size_t>(length) + 1);
    length = getxattr(source.c_str(), name, value.data(), value.size());
    if (length < 0) continue;
    fsetxattr(fd, name, value.data(), static_cast<std::size_t>(length), 0);
  }
}

// Replaces `target` by `bytes` atomically. `old` is the stat of the file
// being replaced, or null for a new file.
bool Replace(const std::string& target, const std::string& bytes,
             const struct stat* old) {
  std::string temp_path;
  int fd = CreateTemporary(target, old ? 0600 : 0666, temp_path);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  if (ok && old) {
    CopyExtendedAttributes(target, fd);
    if (old->st_uid != geteuid() || old->st_gid != getegid()) {
      // Only root may give the file back to its owner; others keep theirs.
      int ignored = fchown(fd, old->st_uid, old->st_gid);
      (void)ignored;
    }
    ok = fchmod(fd, old->st_mode & 07777) == 0;
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp_path.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(temp_path.c_str());
    return false;
  }
  // Make the rename itself durable; the new file is complete either way.
  int dir = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

}  // namespace

std::string PosixProfileStore::GetString(const std::string& section,
                                         const std::string& key,
                                         const std::string& default_value,
                                         int buffer_size,
                                         const std::string& file) {
  std::optional<std::string> found;
  try {
    std::string bytes;
    if (ReadRegularFile(drives_.ToHost(file), bytes)) {
      found = IniDocument(std::move(bytes)).Find(section, key);
    }
  } catch (...) {
    // An unmapped drive, a bad name or no memory for the file: it reads as
    // missing, as an unreadable file does on Windows.
  }
  return ProfileResult(found, default_value, buffer_size);
}

bool PosixProfileStore::WriteString(const std::string& section,
                                    const std::string& key,
                                    const std::string& value,
                                    const std::string& file) {
  try {
    return Write(section, key, value, file);
  } catch (...) {
    return false;
  }
}

bool PosixProfileStore::Write(const std::string& section,
                              const std::string& key, const std::string& value,
                              const std::string& file) {
  const std::string host = drives_.ToHost(file);
  struct stat st;
  std::string target = host;
  std::string old_bytes;
  const bool exists = stat(host.c_str(), &st) == 0;
  if (exists) {
    if (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0) return false;
    // The rename below only needs the folder's permission; a file this user
    // may not write must not be replaced all the same.
    if (access(host.c_str(), W_OK) != 0) return false;
    if ((ReadDosAttrib(host) & kAttrReadOnly) != 0) return false;
    if (IsLockedByAnotherProcess(host)) return false;
    char* real = realpath(host.c_str(), nullptr);
    if (real == nullptr) return false;
    target = real;
    free(real);
    if (!ReadRegularFile(target, old_bytes)) return false;
  } else {
    struct stat link, folder;
    if (errno != ENOENT) return false;
    // A dangling link is not replaced by a file.
    if (lstat(host.c_str(), &link) == 0) return false;
    if (stat(FolderOf(host).c_str(), &folder) != 0 ||
        !S_ISDIR(folder.st_mode)) {
      return false;
    }
  }

  IniDocument document(old_bytes);
  if (!document.Set(section, key, value)) return false;
  if (exists && document.bytes() == old_bytes) return true;
  return Replace(target, document.bytes(), exists ? &st : nullptr);
}

}  // namespace rolvex
