#include "platform/posix/posix_profile_store.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_file_lock.h"
#include "platform/posix/posix_host_facts.h"
#include "platform/posix/posix_host_path.h"
#include "platform/posix/posix_temporary.h"
#include "platform/rules/ini_document.h"

namespace rolvex {
namespace {

// The bytes of a regular file. Opened without waiting, so that a FIFO that
// happens to carry an ini file's name cannot hang the installer.
bool ReadRegularFile(const std::string& host_path, std::string& bytes) {
  UniqueFd fd(
      open(host_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.ok()) return false;
  struct stat st;
  bytes.clear();
  return fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
         ReadAll(fd.get(), bytes);
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
  TemporaryFile fd(target, old ? 0600 : 0666);
  if (!fd.ok()) return false;
  bool ok = WriteAll(fd.get(), bytes);
  if (ok && old) {
    CopyExtendedAttributes(target, fd.get());
    if (old->st_uid != geteuid() || old->st_gid != getegid()) {
      // Only root may give the file back to its owner; others keep theirs.
      int ignored = fchown(fd.get(), old->st_uid, old->st_gid);
      (void)ignored;
    }
    ok = fchmod(fd.get(), old->st_mode & 07777) == 0;
  }
  ok = ok && fsync(fd.get()) == 0;
  // Not committed, the temporary goes with `fd`.
  if (!ok || fd.Commit() != 0) return false;
  // Make the rename itself durable; the new file is complete either way.
  SyncFolderOf(target);
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
    const std::string host = drives_.ToHost(file);
    IniDocument fresh;
    if (batch_ && batch_->host == host) {
      found = batch_->document.Find(section, key);
    } else if (Read* kept = nullptr;
               const IniDocument* document = ReadDocument(host, fresh, kept)) {
      found = kept ? kept->Find(section, key) : document->Find(section, key);
    }
  } catch (...) {
    // An unmapped drive, a bad name or no memory for the file: it reads as
    // missing, as an unreadable file does on Windows.
  }
  return ProfileResult(found, default_value, buffer_size);
}

std::optional<std::string> PosixProfileStore::Read::Find(
    const std::string& section, const std::string& key) {
  constexpr std::size_t kAnswers = 256;
  // The length first, so that no section and key run into each other.
  const std::string asked =
      std::to_string(section.size()) + ':' + section + key;
  if (auto known = answers.find(asked); known != answers.end()) {
    return known->second;
  }
  if (answers.size() == kAnswers) answers.clear();
  return answers.emplace(asked, document.Find(section, key)).first->second;
}

const IniDocument* PosixProfileStore::ReadDocument(const std::string& host,
                                                   IniDocument& fresh,
                                                   Read*& kept) {
  constexpr std::size_t kKept = 4;
  struct {
    unsigned long long stamp = 0;
  } facts;
  const bool known = false;
  if (known) {
    for (auto it = reads_.begin(); it != reads_.end(); ++it) {
      if (it->host != host) continue;
      if (it->stamp == facts.stamp) {
        std::rotate(it, it + 1, reads_.end());
        kept = &reads_.back();
        return &kept->document;
      }
      reads_.erase(it);
      break;
    }
  }
  std::string bytes;
  if (!ReadRegularFile(host, bytes)) return nullptr;
  fresh = IniDocument(std::move(bytes));
  if (!known) return &fresh;
  if (reads_.size() == kKept) reads_.erase(reads_.begin());
  reads_.push_back(Read{host, facts.stamp, std::move(fresh), {}});
  kept = &reads_.back();
  return &kept->document;
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

bool PosixProfileStore::CheckTarget(const std::string& host, Target& target,
                                    std::string* old_bytes) {
  struct stat& st = target.st;
  target.path = host;
  target.exists = stat(host.c_str(), &st) == 0;
  if (target.exists) {
    if (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0) return false;
    // The rename below only needs the folder's permission; a file this user
    // may not write must not be replaced all the same.
    if (access(host.c_str(), W_OK) != 0) return false;
    if ((ReadDosAttrib(host) & kAttrReadOnly) != 0) return false;
    if (IsLockedByAnotherProcess(host)) return false;
    char* real = realpath(host.c_str(), nullptr);
    if (real == nullptr) return false;
    target.path = real;
    free(real);
    return !old_bytes || ReadRegularFile(target.path, *old_bytes);
  }
  struct stat link, folder;
  if (errno != ENOENT) return false;
  // A dangling link is not replaced by a file.
  if (lstat(host.c_str(), &link) == 0) return false;
  return stat(HostFolder(host).c_str(), &folder) == 0 &&
         S_ISDIR(folder.st_mode);
}

PosixProfileStore::Batch* PosixProfileStore::BatchOf(const std::string& file) {
  if (!batch_) return nullptr;
  return drives_.ToHost(file) == batch_->host ? &*batch_ : nullptr;
}

bool PosixProfileStore::Write(const std::string& section,
                              const std::string& key, const std::string& value,
                              const std::string& file) {
  if (Batch* batch = BatchOf(file)) {
    return batch->document.Set(section, key, value);
  }
  Target target;
  std::string old_bytes;
  if (!CheckTarget(drives_.ToHost(file), target, &old_bytes)) return false;
  IniDocument document(old_bytes);
  if (!document.Set(section, key, value)) return false;
  if (target.exists && document.bytes() == old_bytes) return true;
  return Replace(target.path, document.bytes(),
                 target.exists ? &target.st : nullptr);
}

void PosixProfileStore::BeginBatch(const std::string& file) {
  EndBatch();
  try {
    Batch batch;
    batch.host = drives_.ToHost(file);
    // Only an existing file that may be written now is held: for any other,
    // each write is made or refused at once, as without a batch.
    Target target;
    if (!CheckTarget(batch.host, target, &batch.old_bytes) || !target.exists) {
      return;
    }
    batch.document = IniDocument(batch.old_bytes);
    batch_ = std::move(batch);
  } catch (...) {
    batch_.reset();  // no batch: the writes go one by one
  }
}

bool PosixProfileStore::EndBatch() {
  if (!batch_) return true;
  Batch batch = std::move(*batch_);
  batch_.reset();
  try {
    if (batch.document.bytes() == batch.old_bytes) return true;
    // The file may have been locked or made read-only since the start.
    Target now;
    if (!CheckTarget(batch.host, now, nullptr) || !now.exists) return false;
    return Replace(now.path, batch.document.bytes(), &now.st);
  } catch (...) {
    return false;
  }
}

}  // namespace rolvex
