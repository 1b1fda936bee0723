#include "platform/posix/posix_profile_store.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_file_lock.h"
#include "platform/posix/posix_host_path.h"
#include "platform/posix/posix_temporary.h"
#include "platform/rules/ini_document.h"

namespace rolvex {
namespace {

long long NowNanoseconds() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

long long Nanoseconds(const struct timespec& t) {
  return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

// File systems whose times the kernel sets itself, from its own clock; on
// others (network, FUSE) a stat may show times another machine set.
bool OnLocalFileSystem(int fd) {
  struct statfs fs;
  if (fstatfs(fd, &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0x01021994:  // tmpfs
    case 0xF2F52010:  // f2fs
    case 0x794C7630:  // overlayfs
      return true;
    default:
      return false;
  }
}

// A stamp of `st`, taken of `fd` at `moment` (before the stat).
PosixProfileStore::Stamp StampOf(int fd, const struct stat& st,
                                 long long moment) {
  PosixProfileStore::Stamp stamp;
  stamp.st = st;
  stamp.trusted =
      moment - Nanoseconds(st.st_ctim) >= PosixProfileStore::kRacyNanoseconds &&
      OnLocalFileSystem(fd);
  return stamp;
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
             const struct stat* old,
             PosixProfileStore::Stamp* written = nullptr) {
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
  if (written) {
    const long long moment = NowNanoseconds();
    struct stat st;
    // Not trusted (its change time is now): the next write-back reads the
    // file again, and so sees what anyone wrote after this one.
    if (fstat(fd.get(), &st) == 0) *written = StampOf(fd.get(), st, moment);
    written->trusted = false;
  }
  // Make the rename itself durable; the new file is complete either way.
  SyncFolderOf(target);
  return true;
}

}  // namespace

bool PosixProfileStore::Stamp::Differs(const struct stat& now) const {
  return st.st_dev != now.st_dev || st.st_ino != now.st_ino ||
         st.st_size != now.st_size ||
         Nanoseconds(st.st_mtim) != Nanoseconds(now.st_mtim) ||
         Nanoseconds(st.st_ctim) != Nanoseconds(now.st_ctim);
}

bool PosixProfileStore::Stamp::Holds(const struct stat& now) const {
  return trusted && !Differs(now);
}

PosixProfileStore::ReadResult PosixProfileStore::ReadFile(
    const std::string& host, std::string& bytes, Stamp& stamp) {
  bytes.clear();
  // The kind first, by the name: a FIFO or a device is not opened at all
  // (an open could wait, or do what the device does on an open).
  struct stat by_name;
  if (stat(host.c_str(), &by_name) != 0) return ReadResult::kMissing;
  if (!S_ISREG(by_name.st_mode)) return ReadResult::kMissing;
  // Without waiting, and never as a controlling terminal: the name may have
  // been given to something else since the stat.
  UniqueFd fd(open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.ok()) {
    return errno == ENOENT ? ReadResult::kMissing : ReadResult::kUnreadable;
  }
  const long long moment = NowNanoseconds();
  struct stat st;
  if (fstat(fd.get(), &st) != 0) return ReadResult::kUnreadable;
  if (st.st_dev != by_name.st_dev || st.st_ino != by_name.st_ino ||
      !S_ISREG(st.st_mode)) {
    return ReadResult::kMissing;
  }
  // A size that says too much is believed; one that says too little (files
  // of /proc say 0) is not.
  bool too_big = static_cast<std::uint64_t>(st.st_size) > kSettingsFileLimit;
  if (too_big || !ReadAll(fd.get(), bytes, kSettingsFileLimit)) {
    too_big = too_big || errno == EFBIG;
    const std::pair<dev_t, ino_t> id(st.st_dev, st.st_ino);
    if (too_big && std::find(told_too_big_.begin(), told_too_big_.end(), id) ==
                       told_too_big_.end()) {
      told_too_big_.push_back(id);
      fprintf(stderr, "rolvex: %s holds more than %zu MiB; not read\n",
              host.c_str(), kSettingsFileLimit >> 20);
    }
    bytes.clear();
    return ReadResult::kUnreadable;
  }
  stamp = StampOf(fd.get(), st, moment);
  return ReadResult::kRead;
}

std::string PosixProfileStore::GetString(const std::string& section,
                                         const std::string& key,
                                         const std::string& default_value,
                                         int buffer_size,
                                         const std::string& file) {
  std::optional<std::string> found;
  try {
    if (Batch* batch = BatchOf(file)) {
      Refresh(*batch, false);
      found = batch->document.Find(section, key);
    } else {
      struct stat mapped;
      const std::string host = drives_.ToHost(file, &mapped);
      found = ReadValue(host, section, key, mapped);
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

std::optional<std::string> PosixProfileStore::ReadValue(
    const std::string& host, const std::string& section, const std::string& key,
    const struct stat& mapped) {
  constexpr std::size_t kKept = 4;
  auto kept = std::find_if(reads_.begin(), reads_.end(),
                           [&](const Read& read) { return read.host == host; });
  if (kept != reads_.end()) {
    // The mapping's lstat is the file's stat unless the path is a link.
    struct stat now = mapped;
    const bool known = mapped.st_mode != 0 && !S_ISLNK(mapped.st_mode);
    if ((known || stat(host.c_str(), &now) == 0) && kept->stamp.Holds(now)) {
      std::rotate(kept, kept + 1, reads_.end());
      return reads_.back().Find(section, key);
    }
    reads_.erase(kept);
  }
  std::string bytes;
  Stamp stamp;
  if (ReadFile(host, bytes, stamp) != ReadResult::kRead) return std::nullopt;
  IniDocument document(std::move(bytes));
  if (!stamp.trusted || !drives_.indexed()) return document.Find(section, key);
  if (reads_.size() == kKept) reads_.erase(reads_.begin());
  reads_.push_back(Read{host, stamp, std::move(document), {}});
  return reads_.back().Find(section, key);
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

bool PosixProfileStore::CheckTarget(const std::string& host, Target& target) {
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
    return true;
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
    Refresh(*batch, false);
    if (!batch->document.Set(section, key, value)) return false;
    const long long now = NowNanoseconds();
    if (batch->pending.empty()) batch->oldest = now;
    batch->pending.push_back({section, key, value});
    // A refused write-back keeps the entries for the next one.
    if (now - batch->oldest >= kWriteBackNanoseconds) WriteBack(*batch);
    return true;
  }
  const std::string host = drives_.ToHost(file);
  Target target;
  if (!CheckTarget(host, target)) return false;
  std::string old_bytes;
  Stamp stamp;
  if (target.exists &&
      ReadFile(target.path, old_bytes, stamp) != ReadResult::kRead) {
    return false;
  }
  IniDocument document(old_bytes);
  if (!document.Set(section, key, value)) return false;
  if (target.exists && document.bytes() == old_bytes) return true;
  return Replace(target.path, document.bytes(),
                 target.exists ? &target.st : nullptr);
}

void PosixProfileStore::Refresh(Batch& batch, bool unless_trusted) {
  struct stat now;
  const bool exists = stat(batch.host.c_str(), &now) == 0;
  if (exists &&
      (unless_trusted ? batch.stamp.Holds(now) : !batch.stamp.Differs(now))) {
    return;
  }
  // A file gone, or one that cannot be read, is taken as empty: the entries
  // then make a new file, or the write-back is refused.
  std::string bytes;
  batch.stamp = Stamp();
  if (ReadFile(batch.host, bytes, batch.stamp) != ReadResult::kRead) {
    bytes.clear();
  }
  batch.document = IniDocument(bytes);
  batch.on_disk = std::move(bytes);
  for (const Entry& entry : batch.pending) {
    if (!batch.document.Set(entry.section, entry.key, entry.value)) {
      batch.lost = true;  // the file became one that is not written (UTF-16)
    }
  }
}

bool PosixProfileStore::WriteBack(Batch& batch) {
  Refresh(batch, true);
  batch.oldest = NowNanoseconds();
  Target target;
  // The file may have been locked or made read-only since the start.
  if (batch.lost || !CheckTarget(batch.host, target)) return false;
  if (batch.document.bytes() == batch.on_disk && target.exists) {
    batch.pending.clear();
    return true;
  }
  Stamp written;
  if (!Replace(target.path, batch.document.bytes(),
               target.exists ? &target.st : nullptr, &written)) {
    return false;
  }
  batch.pending.clear();
  batch.on_disk = batch.document.bytes();
  batch.stamp = written;
  return true;
}

void PosixProfileStore::BeginBatch(const std::string& file) {
  EndBatch();
  try {
    Batch batch;
    batch.host = drives_.ToHost(file);
    // Only an existing file that may be written now is held: for any other,
    // each write is made or refused at once, as without a batch.
    Target target;
    if (!CheckTarget(batch.host, target) || !target.exists) return;
    if (ReadFile(batch.host, batch.on_disk, batch.stamp) != ReadResult::kRead) {
      return;
    }
    batch.document = IniDocument(batch.on_disk);
    batch_ = std::move(batch);
  } catch (...) {
    batch_.reset();  // no batch: the writes go one by one
  }
}

std::size_t PosixProfileStore::BatchPending() const {
  return batch_ ? batch_->pending.size() : 0;
}

bool PosixProfileStore::EndBatch() {
  if (!batch_) return true;
  Batch batch = std::move(*batch_);
  batch_.reset();
  try {
    return batch.pending.empty() || WriteBack(batch);
  } catch (...) {
    return false;
  }
}

}  // namespace rolvex
