#include "platform/posix/posix_file_system.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_errors.h"
#include "platform/posix/posix_file_copy.h"
#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_file_lock.h"
#include "platform/posix/posix_host_facts.h"
#include "platform/posix/posix_host_path.h"
#include "platform/posix/posix_temporary.h"
#include "platform/rules/buffer_item_reader.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

// stat of an object that must exist; throws 53 (76 when the way is blocked).
struct stat StatExisting(const std::string& host_path) {
  struct stat st;
  if (!StatFollow(host_path, st)) throw ErrnoError(errno, kErrFileNotFound);
  return st;
}

int AttributesOf(const std::string& host_path, const struct stat& st) {
  return HostAttributes(host_path, HostName(host_path), st);
}

// The facts of an object that must exist; throws 53 (76 when the way is
// blocked).
HostFacts FactsOfExisting(const std::string& host_path,
                          const struct stat& known, bool dos_bits = true) {
  HostFacts facts;
  if (!LookUpFacts(host_path, facts, dos_bits, &known)) {
    throw ErrnoError(errno, kErrFileNotFound);
  }
  return facts;
}

}  // namespace

PosixFileSystem::PosixFileSystem(const DriveModel& drives) : drives_(drives) {}

PosixFileSystem::~PosixFileSystem() { pending_.SyncAll(); }

void PosixFileSystem::Flush() { pending_.SyncAll(); }

int PosixFileSystem::GetAttr(const std::string& path) {
  struct stat found;
  std::string host = drives_.ToHost(path, &found);
  const HostFacts facts = FactsOfExisting(host, found);
  int bits = AttributesOf(host, facts);
  // A symbolic link is reported as Windows reports a junction, so that a
  // tree listing does not follow a link that leads back into the tree. A
  // drive's root ("C:\", also as "C:\Folder\..") is the prefix's drive
  // link itself and stays plain.
  if (facts.is_link && host != drives_.DriveRootOf(path)) {
    bits |= kAttrReparsePoint;
  }
  return bits;
}

void PosixFileSystem::SetAttr(const std::string& path, int attributes) {
  struct stat found;
  std::string host = drives_.ToHost(path, &found);
  const HostFacts facts = FactsOfExisting(host, found);
  int wanted =
      attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
  bool folder = S_ISDIR(facts.mode);
  // A file's read-only bit is its permission; a folder keeps it stored.
  int stored = folder ? wanted : (wanted & ~kAttrReadOnly);
  bool make_read_only = !folder && (wanted & kAttrReadOnly) != 0;

  mode_t mode = facts.mode & 07777;
  mode_t new_mode = mode;
  if (!folder && make_read_only) {
    new_mode = mode & ~0222;
  } else if (!folder && (mode & 0222) == 0) {
    // Writable again: what the umask allows, the owner at least.
    new_mode = mode | (0222 & ~CurrentUmask()) | 0200;
  }
  auto apply_mode = [&] {
    if (new_mode != mode && chmod(host.c_str(), new_mode) != 0) {
      throw ErrnoError(errno, kErrFileNotFound);
    }
  };
  // Taking the write bits last and giving them first keeps the right to
  // store the extended attribute for an owner who is not root.
  if (!make_read_only) apply_mode();
  // Clearing what is not stored is no write at all (most targets).
  int err = (stored == 0 && !facts.stored) ? 0 : WriteDosAttrib(host, stored);
  if (err == ENOTSUP || err == EOPNOTSUPP) {
    if ((stored & ~kAttrArchive) != 0) {
      throw RunError(kErrPermissionDenied,
                     "Permission denied (this file system cannot keep the "
                     "hidden, system or folder read-only attribute)");
    }
  } else if (err != 0) {
    throw ErrnoError(err, kErrFileNotFound);
  }
  if (make_read_only) apply_mode();
}

void PosixFileSystem::FileCopy(const std::string& source,
                               const std::string& target) {
  Copy(source, target, nullptr);
}

void PosixFileSystem::FileCopyAdmitted(const std::string& source,
                                       const std::string& target,
                                       const CopyAdmission& admit) {
  Copy(source, target, &admit);
}

void PosixFileSystem::Copy(const std::string& source, const std::string& target,
                           const CopyAdmission* admit) {
  std::string host_source = drives_.ToHost(source);
  struct stat source_st = StatExisting(host_source);
  // A folder, or a pipe or device that a read could wait on forever.
  if (!S_ISREG(source_st.st_mode)) throw RunError::Of(kErrPathFileAccess);
  std::string host_target = drives_.ToHost(target);
  RequireParentFolder(host_target);

  struct stat target_st;
  const bool replaces = StatFollow(host_target, target_st);
  if (replaces) {
    // Only a file is replaced, and nothing else is opened to find out.
    if (!S_ISREG(target_st.st_mode)) throw RunError::Of(kErrPathFileAccess);
    // Only the stored hidden bit protects: a dot name reads as hidden, yet a
    // pack must be able to replace a dot-named file it installed before.
    const int stored = ReadDosAttrib(host_target);
    bool read_only =
        (AttributeBits(HostName(host_target), target_st.st_mode, stored) &
         kAttrReadOnly) != 0;
    bool hidden = (stored & kAttrHidden) != 0;
    if (read_only || hidden) throw RunError::Of(kErrPermissionDenied);
    if (IsLockedByAnotherProcess(host_target)) {
      throw RunError::Of(kErrPermissionDenied).HeldBy(LockHolders(host_target));
    }
  }
  ReplaceByCopy(host_source, host_target, replaces, pending_, tick_, admit);
}

std::string PosixFileSystem::StageForRestart(const std::string& source,
                                             const std::string& target) {
  std::string host_source = drives_.ToHost(source);
  struct stat source_st = StatExisting(host_source);
  if (!S_ISREG(source_st.st_mode)) throw RunError::Of(kErrPathFileAccess);
  std::string host_target = drives_.ToHost(target);
  RequireParentFolder(host_target);
  const std::size_t backslash = target.find_last_of('\\');
  const std::string host_folder = HostFolder(host_target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        ".~rolvex-restart-" + std::to_string(time(nullptr)) + "-" +
        std::to_string(getpid()) + "-" + std::to_string(staged_++) + "~" +
        HostName(host_target).substr(0, 120);
    const std::string host_staged = host_folder + "/" + name;
    struct stat taken;
    if (lstat(host_staged.c_str(), &taken) == 0) continue;
    // Flushed before it takes its name, as a replacement is: the request
    // recorded next must never name a file whose bytes a power failure lost.
    ReplaceByCopy(host_source, host_staged, /*replaces=*/true, pending_, tick_);
    return target.substr(0, backslash + 1) + name;
  }
  throw RunError::Of(kErrPathFileAccess);
}

void PosixFileSystem::RemoveStaleTemporaries(const std::string& folder) {
  // Asked for every file: a folder named as before is not mapped again.
  if (!swept_names_.insert(folder).second) return;
  try {
    const std::string host = drives_.ToHost(folder);
    if (swept_.insert(host).second) SweepStaleTemporaries(host);
  } catch (const RunError&) {
    // A folder that cannot be named holds nothing to sweep.
  }
}

void PosixFileSystem::Kill(const std::string& path) {
  std::string host = drives_.ToHost(path);
  struct stat st;
  if (lstat(host.c_str(), &st) != 0) throw ErrnoError(errno, kErrFileNotFound);
  struct stat followed;
  bool resolves = StatFollow(host, followed);
  if (resolves) {
    // Kill deletes files; a folder is no file of that name.
    if (S_ISDIR(followed.st_mode)) throw RunError::Of(kErrFileNotFound);
    if ((AttributesOf(host, followed) & kAttrReadOnly) != 0) {
      throw RunError::Of(kErrPermissionDenied);
    }
    if (IsLockedByAnotherProcess(host)) {
      throw RunError::Of(kErrPermissionDenied).HeldBy(LockHolders(host));
    }
  }
  if (unlink(host.c_str()) != 0) throw ErrnoError(errno, kErrFileNotFound);
}

void PosixFileSystem::MkDir(const std::string& path) {
  std::string host = drives_.ToHost(path);
  struct stat st;
  if (lstat(host.c_str(), &st) == 0) throw RunError::Of(kErrPathFileAccess);
  RequireParentFolder(host);
  if (mkdir(host.c_str(), 0777) != 0) throw ErrnoError(errno, kErrPathNotFound);
}

void PosixFileSystem::RmDir(const std::string& path) {
  std::string host = drives_.ToHost(path);
  struct stat st;
  if (lstat(host.c_str(), &st) != 0) throw ErrnoError(errno, kErrPathNotFound);
  if (!S_ISDIR(st.st_mode)) throw RunError::Of(kErrPathFileAccess);
  if (rmdir(host.c_str()) != 0) {
    if (errno == ENOTEMPTY || errno == EEXIST) {
      throw RunError::Of(kErrPathFileAccess);
    }
    throw ErrnoError(errno, kErrPathNotFound);
  }
}

std::int64_t PosixFileSystem::FileLen(const std::string& path) {
  struct stat found;
  std::string host = drives_.ToHost(path, &found);
  struct stat st = StatExisting(host);
  if (S_ISDIR(st.st_mode)) throw RunError::Of(kErrPathFileAccess);
  return static_cast<std::int64_t>(st.st_size);
}

class PosixKeepFolder : public KeepFolder {
 public:
  PosixKeepFolder(PosixFileSystem& files, UniqueFd fd, std::string host)
      : files_(files), fd_(std::move(fd)), host_(std::move(host)) {}
  std::int64_t Keep(const std::string& path, const std::string& name) override {
    return files_.KeepInto(path, fd_.get(), host_, name);
  }

 private:
  PosixFileSystem& files_;
  UniqueFd fd_;
  std::string host_;
};

std::unique_ptr<KeepFolder> PosixFileSystem::OpenKeepFolder(
    const std::string& folder) {
  std::string host = drives_.ToHost(folder);
  UniqueFd fd(open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.ok()) throw ErrnoError(errno, kErrPathNotFound);
  return std::make_unique<PosixKeepFolder>(*this, std::move(fd),
                                           std::move(host));
}

std::int64_t PosixFileSystem::KeepInto(const std::string& path, int folder_fd,
                                       const std::string& host_folder,
                                       const std::string& name) {
  std::string host = drives_.ToHost(path);
  struct stat st = StatExisting(host);
  if (!S_ISREG(st.st_mode)) throw RunError::Of(kErrPathFileAccess);
  // Every writer here replaces a file by renaming a new one over it and
  // never writes into it, so a second name keeps the old bytes, time and
  // stored attributes for free. Across file systems, a copy.
  if (linkat(AT_FDCWD, host.c_str(), folder_fd, name.c_str(), 0) == 0) {
    pending_.Add(host_folder, st.st_dev);
    return static_cast<std::int64_t>(st.st_size);
  }
  if (errno != EXDEV && errno != EPERM && errno != EMLINK) {
    throw ErrnoError(errno, kErrPathNotFound);
  }
  ReplaceByCopy(host, host_folder + "/" + name, /*replaces=*/false, pending_,
                tick_);
  return static_cast<std::int64_t>(st.st_size);
}

FileTime PosixFileSystem::DateLastModified(const std::string& path) {
  struct stat found;
  std::string host = drives_.ToHost(path, &found);
  const HostFacts facts = FactsOfExisting(host, found, /*dos_bits=*/false);
  // The file-system object's GetFile finds files only.
  if (S_ISDIR(facts.mode)) throw RunError::Of(kErrFileNotFound);
  return static_cast<FileTime>(facts.mtime);
}

namespace {

class PosixLineAppender : public LineAppender {
 public:
  explicit PosixLineAppender(UniqueFd fd) : fd_(std::move(fd)) {}
  void Append(const std::string& line) override {
    if (!WriteAll(fd_.get(), line + "\r\n")) {
      throw ErrnoError(errno, kErrPathNotFound);
    }
  }

 private:
  UniqueFd fd_;
};

}  // namespace

std::unique_ptr<LineAppender> PosixFileSystem::OpenAppender(
    const std::string& path) {
  return std::make_unique<PosixLineAppender>(OpenToAppend(path));
}

void PosixFileSystem::AppendLine(const std::string& path,
                                 const std::string& line) {
  UniqueFd fd = OpenToAppend(path);
  // One write for the whole line, so that lines of two writers never mix.
  if (!WriteAll(fd.get(), line + "\r\n")) {
    throw ErrnoError(errno, kErrPathNotFound);
  }
  if (fd.Close() != 0) throw ErrnoError(errno, kErrPathNotFound);
}

UniqueFd PosixFileSystem::OpenToAppend(const std::string& path) {
  struct stat found;
  std::string host = drives_.ToHost(path, &found);
  // A pipe or a device is never opened; a link is looked at once open.
  if (found.st_mode != 0 && !S_ISREG(found.st_mode) &&
      !S_ISLNK(found.st_mode)) {
    throw RunError::Of(kErrPathFileAccess);
  }
  // Not waiting at the open, and checked again once open: the name may
  // have been turned into a pipe or a device in between. Opening to append
  // changes nothing yet, so the read-only bit is asked of the open file.
  UniqueFd fd(open(
      host.c_str(),
      O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666));
  if (!fd.ok()) throw ErrnoError(errno, kErrPathNotFound);
  struct stat opened;
  if (fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) {
    throw RunError::Of(kErrPathFileAccess);
  }
  if ((AttributeBits(HostName(host), opened.st_mode,
                     ReadDosAttribOpen(fd.get())) &
       kAttrReadOnly) != 0) {
    throw RunError::Of(kErrPermissionDenied);
  }
  return fd;
}

namespace {

// Opens the regular file `host` for reading. Only a regular file is opened;
// not waiting at the open, and checked again once open, in case the name was
// turned into a pipe in between.
UniqueFd OpenRegularFile(const std::string& host) {
  struct stat named;
  if (!StatFollow(host, named)) throw ErrnoError(errno, kErrFileNotFound);
  if (!S_ISREG(named.st_mode)) throw RunError::Of(kErrPathFileAccess);
  UniqueFd fd(open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.ok()) throw ErrnoError(errno, kErrFileNotFound);
  struct stat st;
  if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    throw RunError::Of(kErrPathFileAccess);
  }
  return fd;
}

}  // namespace

void PosixFileSystem::ReadContent(
    const std::string& path,
    const std::function<void(const char*, std::size_t)>& chunk) {
  UniqueFd fd = OpenRegularFile(drives_.ToHost(path));
  struct stat st;
  fstat(fd.get(), &st);
  // As large as the file (and one byte to see its end at once), at most
  // 1 MiB, and not filled first: most files of a pack are small, and
  // clearing a megabyte for each would cost more than reading it.
  const std::size_t size = std::min<std::size_t>(
      static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1,
      std::size_t{1} << 20);
  const auto buffer = std::make_unique_for_overwrite<char[]>(size);
  if (st.st_size > static_cast<off_t>(size)) {
    posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  for (;;) {
    const ssize_t got = read(fd.get(), buffer.get(), size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw ErrnoError(errno, kErrPermissionDenied);
    if (got == 0) return;
    chunk(buffer.get(), static_cast<std::size_t>(got));
  }
}

std::unique_ptr<ItemReader> PosixFileSystem::OpenForInput(
    const std::string& path) {
  UniqueFd fd = OpenRegularFile(drives_.ToHost(path));
  std::string bytes;
  if (!ReadAll(fd.get(), bytes, kSettingsFileLimit)) {
    throw ErrnoError(errno, kErrFileNotFound);
  }
  return std::make_unique<BufferItemReader>(std::move(bytes));
}

}  // namespace rolvex
