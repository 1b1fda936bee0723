// A fault injector for the end-to-end tests, loaded with LD_PRELOAD into the
// real program: it makes chosen system calls fail as a sick disk would, so
// that the installer's answer to them is tested without privileges.
//
// ROLVEX_FAULTS holds faults separated by ";", each "CALL,ERRNO,AFTER,PATTERN":
//   CALL     open     opens (open, openat, also O_TMPFILE in a folder) of a
//                     matching path: AFTER succeed, the rest fail
//            tmpfile  the same for O_TMPFILE opens only (EOPNOTSUPP stands
//                     for a file system without unnamed files)
//            read     reads from a descriptor opened on a matching path
//                     (read, pread, and the reading side of copy_file_range
//                     and sendfile): AFTER bytes pass in all, then they fail
//            write    the same for writes (write, pwrite, the writing side
//                     of copy_file_range and sendfile)
//            readdir  entries of a folder opened with opendir on a matching
//                     path: AFTER come, then readdir fails
//   ERRNO    ENOSPC, EIO, ENOENT, EACCES, EOPNOTSUPP, or "vanish" (open only:
//   the file
//            is removed just before that open, which then finds it gone)
//   AFTER    a count, as above
//   PATTERN  fnmatch pattern over the whole path as the program gives it
//            ("*" also matches "/")
// ROLVEX_NO_FSYNC=1 makes fsync and fdatasync succeed at once: a process
// killed with SIGKILL loses nothing the kernel holds, so crash trials of
// processes need not wait for the disk.
// Every fault that fires appends "CALL ERRNO PATH" to the file named by
// ROLVEX_FAULT_LOG (when set), so a test can see that it was reached.
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/sendfile.h>
#include <sys/types.h>
#include <unistd.h>

#include <mutex>

namespace {

enum Call { kOpen, kTmpfile, kRead, kWrite, kReaddir };

struct Fault {
  Call call;
  int err;  // 0: vanish
  long long after;
  char pattern[512];
  long long used;  // opens, bytes or entries so far
};

constexpr int kMaxFaults = 8;
constexpr int kMaxFds = 4096;
Fault faults[kMaxFaults];
int fault_count = -1;  // -1: not read yet
// For each descriptor, 1 + the index of the fault whose pattern its path
// matched (0: none); the same for open folders.
int fd_fault[kMaxFds];
struct DirFault {
  DIR* dir;
  int fault;
};
DirFault dir_faults[64];
std::recursive_mutex mutex;

template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int ErrnoByName(const char* name) {
  if (strcmp(name, "ENOSPC") == 0) return ENOSPC;
  if (strcmp(name, "EIO") == 0) return EIO;
  if (strcmp(name, "ENOENT") == 0) return ENOENT;
  if (strcmp(name, "EACCES") == 0) return EACCES;
  if (strcmp(name, "EOPNOTSUPP") == 0) return EOPNOTSUPP;
  return 0;  // vanish
}

void Load() {
  if (fault_count >= 0) return;
  fault_count = 0;
  const char* text = getenv("ROLVEX_FAULTS");
  if (text == nullptr) return;
  char copy[4096];
  snprintf(copy, sizeof copy, "%s", text);
  char* save = nullptr;
  for (char* item = strtok_r(copy, ";", &save);
       item != nullptr && fault_count < kMaxFaults;
       item = strtok_r(nullptr, ";", &save)) {
    char call[16], err[16];
    long long after = 0;
    int used = 0;
    if (sscanf(item, "%15[^,],%15[^,],%lld,%n", call, err, &after, &used) < 3 ||
        used == 0) {
      continue;
    }
    Fault& f = faults[fault_count];
    if (strcmp(call, "open") == 0) {
      f.call = kOpen;
    } else if (strcmp(call, "tmpfile") == 0) {
      f.call = kTmpfile;
    } else if (strcmp(call, "read") == 0) {
      f.call = kRead;
    } else if (strcmp(call, "write") == 0) {
      f.call = kWrite;
    } else if (strcmp(call, "readdir") == 0) {
      f.call = kReaddir;
    } else {
      continue;
    }
    f.err = ErrnoByName(err);
    f.after = after;
    f.used = 0;
    snprintf(f.pattern, sizeof f.pattern, "%s", item + used);
    ++fault_count;
  }
}

// 1 + the fault of `call` whose pattern `path` matches, 0 for none.
int Match(Call call, const char* path) {
  Load();
  for (int i = 0; i < fault_count; ++i) {
    if (faults[i].call == call && fnmatch(faults[i].pattern, path, 0) == 0) {
      return i + 1;
    }
  }
  return 0;
}

void Note(const Fault& f, const char* what) {
  const char* log = getenv("ROLVEX_FAULT_LOG");
  if (log == nullptr) return;
  static const char* names[] = {"open", "tmpfile", "read", "write", "readdir"};
  auto real_open = Real<int (*)(const char*, int, ...)>("open");
  int fd = real_open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  char line[1200];
  int n = snprintf(line, sizeof line, "%s %s %s\n", names[f.call],
                   f.err == 0 ? "vanish" : strerror(f.err), what);
  auto real_write = Real<ssize_t (*)(int, const void*, size_t)>("write");
  real_write(fd, line, static_cast<size_t>(n));
  close(fd);
}

// Before an open of `path`: -1 (errno set) when the fault refuses it.
int BeforeOpen(const char* path, int flags) {
  int index = Match((flags & O_TMPFILE) == O_TMPFILE ? kTmpfile : kOpen, path);
  if (index == 0) index = Match(kOpen, path);
  if (index == 0) return 0;
  Fault& f = faults[index - 1];
  if (f.used++ < f.after) return 0;
  Note(f, path);
  if (f.err == 0) {
    unlink(path);
    return 0;
  }
  errno = f.err;
  return -1;
}

void Track(int fd, const char* path) {
  if (fd < 0 || fd >= kMaxFds) return;
  int read_fault = Match(kRead, path);
  fd_fault[fd] = read_fault != 0 ? read_fault : Match(kWrite, path);
}

// How many of `count` bytes may move on `fd` for `call`; -1 (errno set)
// when none may.
ssize_t Allowance(int fd, Call call, size_t count) {
  if (fd < 0 || fd >= kMaxFds || fd_fault[fd] == 0) {
    return static_cast<ssize_t>(count);
  }
  Fault& f = faults[fd_fault[fd] - 1];
  // A descriptor tracked for the other direction moves freely this way.
  if (f.call != call) return static_cast<ssize_t>(count);
  long long left = f.after - f.used;
  if (left <= 0 || count == 0) {
    if (count == 0) return 0;
    char what[64];
    snprintf(what, sizeof what, "fd %d", fd);
    Note(f, what);
    errno = f.err;
    return -1;
  }
  return static_cast<ssize_t>(static_cast<long long>(count) < left ? count
                                                                   : left);
}

void Account(int fd, ssize_t moved) {
  if (moved > 0 && fd >= 0 && fd < kMaxFds && fd_fault[fd] != 0) {
    faults[fd_fault[fd] - 1].used += moved;
  }
}

int DoOpen(const char* real_name, int dirfd, const char* path, int flags,
           mode_t mode) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  if (BeforeOpen(path, flags) != 0) return -1;
  int fd;
  if (dirfd == AT_FDCWD && strcmp(real_name, "open") == 0) {
    fd = Real<int (*)(const char*, int, ...)>("open")(path, flags, mode);
  } else {
    fd = Real<int (*)(int, const char*, int, ...)>("openat")(dirfd, path, flags,
                                                             mode);
  }
  Track(fd, path);
  return fd;
}

mode_t ModeOf(int flags, va_list args) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0
             ? static_cast<mode_t>(va_arg(args, int))
             : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = ModeOf(flags, args);
  va_end(args);
  return DoOpen("open", AT_FDCWD, path, flags, mode);
}
int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = ModeOf(flags, args);
  va_end(args);
  return DoOpen("open", AT_FDCWD, path, flags, mode);
}
int openat(int dirfd, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = ModeOf(flags, args);
  va_end(args);
  return DoOpen("openat", dirfd, path, flags, mode);
}
int openat64(int dirfd, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = ModeOf(flags, args);
  va_end(args);
  return DoOpen("openat", dirfd, path, flags, mode);
}

int close(int fd) {
  if (fd >= 0 && fd < kMaxFds) fd_fault[fd] = 0;
  return Real<int (*)(int)>("close")(fd);
}

ssize_t read(int fd, void* buffer, size_t count) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  ssize_t allowed = Allowance(fd, kRead, count);
  if (allowed < 0) return -1;
  ssize_t n = Real<ssize_t (*)(int, void*, size_t)>("read")(
      fd, buffer, static_cast<size_t>(allowed));
  Account(fd, n);
  return n;
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  ssize_t allowed = Allowance(fd, kRead, count);
  if (allowed < 0) return -1;
  ssize_t n = Real<ssize_t (*)(int, void*, size_t, off_t)>("pread")(
      fd, buffer, static_cast<size_t>(allowed), offset);
  Account(fd, n);
  return n;
}
ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
  return pread(fd, buffer, count, offset);
}

ssize_t write(int fd, const void* buffer, size_t count) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  ssize_t allowed = Allowance(fd, kWrite, count);
  if (allowed < 0) return -1;
  ssize_t n = Real<ssize_t (*)(int, const void*, size_t)>("write")(
      fd, buffer, static_cast<size_t>(allowed));
  Account(fd, n);
  return n;
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  ssize_t allowed = Allowance(fd, kWrite, count);
  if (allowed < 0) return -1;
  ssize_t n = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(
      fd, buffer, static_cast<size_t>(allowed), offset);
  Account(fd, n);
  return n;
}
ssize_t pwrite64(int fd, const void* buffer, size_t count, off_t offset) {
  return pwrite(fd, buffer, count, offset);
}

ssize_t copy_file_range(int in, off_t* in_offset, int out, off_t* out_offset,
                        size_t count, unsigned int flags) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  ssize_t allowed = Allowance(in, kRead, count);
  if (allowed >= 0)
    allowed = Allowance(out, kWrite, static_cast<size_t>(allowed));
  if (allowed < 0) return -1;
  ssize_t n = Real<ssize_t (*)(int, off_t*, int, off_t*, size_t, unsigned)>(
      "copy_file_range")(in, in_offset, out, out_offset,
                         static_cast<size_t>(allowed), flags);
  Account(in, n);
  Account(out, n);
  return n;
}

ssize_t sendfile(int out, int in, off_t* offset, size_t count) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  ssize_t allowed = Allowance(in, kRead, count);
  if (allowed >= 0)
    allowed = Allowance(out, kWrite, static_cast<size_t>(allowed));
  if (allowed < 0) return -1;
  ssize_t n = Real<ssize_t (*)(int, int, off_t*, size_t)>("sendfile")(
      out, in, offset, static_cast<size_t>(allowed));
  Account(in, n);
  Account(out, n);
  return n;
}
ssize_t sendfile64(int out, int in, off_t* offset, size_t count) {
  return sendfile(out, in, offset, count);
}

int fsync(int fd) {
  static const bool skip = getenv("ROLVEX_NO_FSYNC") != nullptr;
  return skip ? 0 : Real<int (*)(int)>("fsync")(fd);
}
int fdatasync(int fd) {
  static const bool skip = getenv("ROLVEX_NO_FSYNC") != nullptr;
  return skip ? 0 : Real<int (*)(int)>("fdatasync")(fd);
}

DIR* opendir(const char* path) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  DIR* dir = Real<DIR* (*)(const char*)>("opendir")(path);
  int index = dir != nullptr ? Match(kReaddir, path) : 0;
  if (index != 0) {
    for (DirFault& slot : dir_faults) {
      if (slot.dir == nullptr) {
        slot = {dir, index};
        break;
      }
    }
  }
  return dir;
}

int closedir(DIR* dir) {
  {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    for (DirFault& slot : dir_faults) {
      if (slot.dir == dir) slot = {nullptr, 0};
    }
  }
  return Real<int (*)(DIR*)>("closedir")(dir);
}

struct dirent* readdir(DIR* dir) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  for (DirFault& slot : dir_faults) {
    if (slot.dir != dir || slot.dir == nullptr) continue;
    Fault& f = faults[slot.fault - 1];
    if (f.used++ >= f.after) {
      Note(f, "folder");
      errno = f.err;
      return nullptr;
    }
  }
  return Real<struct dirent* (*)(DIR*)>("readdir")(dir);
}
struct dirent64* readdir64(DIR* dir) {
  return reinterpret_cast<struct dirent64*>(readdir(dir));
}

}  // extern "C"
