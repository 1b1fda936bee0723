#include "platform/posix/posix_temporary.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "platform/posix/posix_host_path.h"
#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

constexpr char kPrefix[] = ".~rolvex-";
constexpr std::size_t kShownNameBytes = 120;

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// Field 22 of /proc/PID/stat (the process's start time), or 0 when the file
// cannot be read; `gone` tells that no such process exists.
unsigned long long StartTimeOf(const std::string& pid, bool* gone) {
  const std::string path = "/proc/" + pid + "/stat";
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (gone) *gone = fd < 0 && errno == ENOENT;
  if (fd < 0) return 0;
  char buffer[1024];
  ssize_t n = read(fd, buffer, sizeof buffer - 1);
  close(fd);
  if (n <= 0) return 0;
  const std::string text(buffer, static_cast<std::size_t>(n));
  // The command name in parentheses may hold blanks and ")"; the fields
  // after the last ")" start with field 3.
  std::string::size_type paren = text.rfind(')');
  if (paren == std::string::npos) return 0;
  std::istringstream fields(text.substr(paren + 1));
  std::string field;
  for (int number = 3; fields >> field; ++number) {
    if (number == 22) return std::strtoull(field.c_str(), nullptr, 10);
  }
  return 0;
}

TemporaryMaker Measure() {
  TemporaryMaker me;
  me.pid = getpid();
  std::string boot;
  for (char c : ReadFirstLine("/proc/sys/kernel/random/boot_id")) {
    const char lower = AsciiLower(c);
    const bool hex =
        (lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'f');
    if (hex && boot.size() < 16) {
      boot += lower;
    }
  }
  char link[64];
  ssize_t n = readlink("/proc/self/ns/pid", link, sizeof link - 1);
  unsigned long long start = StartTimeOf("self", nullptr);
  if (boot.size() != 16 || n <= 0 || start == 0) return me;  // boot stays ""
  link[n] = '\0';
  // "pid:[4026531836]"
  if (sscanf(link, "pid:[%llu]", &me.pid_namespace) != 1) return me;
  me.start = start;
  me.boot = boot;
  return me;
}

std::string NameStem(const TemporaryMaker& me) {
  if (me.boot.empty()) return std::string(kPrefix) + "unknown-";
  return std::string(kPrefix) + me.boot + "-" +
         std::to_string(me.pid_namespace) + "-" + std::to_string(me.pid) + "-" +
         std::to_string(me.start) + "-";
}

std::string Shown(const std::string& target) {
  return "~" + HostName(target).substr(0, kShownNameBytes);
}

bool ReadNumber(const std::string& text, std::size_t& at, char end,
                unsigned long long& value) {
  std::size_t begin = at;
  value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' &&
         at - begin < 20) {
    value = value * 10 + static_cast<unsigned>(text[at] - '0');
    ++at;
  }
  if (at == begin || at >= text.size() || text[at] != end) return false;
  ++at;
  return true;
}

// The time this boot began, from /proc/stat; 0 when unknown.
long long BootTime() {
  std::ifstream in("/proc/stat");
  std::string word;
  while (in >> word) {
    if (word == "btime") {
      long long seconds = 0;
      in >> seconds;
      return seconds;
    }
  }
  return 0;
}

// Whether a file whose status changed last at `changed` came into being
// while `maker` ran: after its start in this boot, or before this boot for
// a maker of an earlier one.
bool BornWhileMakerRan(const struct stat& st, const TemporaryMaker& maker) {
  const long long boot = BootTime();
  const long ticks = sysconf(_SC_CLK_TCK);
  if (boot == 0 || ticks <= 0) return false;
  const long long changed = st.st_ctim.tv_sec;
  if (maker.boot != ThisProcess().boot) return changed < boot;
  // Whole seconds on both sides: one second of slack for the rounding.
  return changed + 1 >= boot + static_cast<long long>(maker.start) / ticks;
}

bool MakerIsGone(const TemporaryMaker& maker) {
  const TemporaryMaker& me = ThisProcess();
  if (me.boot.empty()) return false;       // nothing here can be judged
  if (maker.boot != me.boot) return true;  // made before this boot
  if (maker.pid_namespace != me.pid_namespace) return false;
  if (maker.pid == me.pid) return maker.start != me.start;
  bool gone = false;
  unsigned long long start = StartTimeOf(std::to_string(maker.pid), &gone);
  if (gone) return true;
  // A process of that id that started at another time has only reused it.
  return start != 0 && start != maker.start;
}

bool ProcFdUsable() { return access("/proc/self/fd", X_OK) == 0; }

// Links the unnamed file `fd` in at `name`.
int LinkIn(int fd, const std::string& name) {
  if (linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
  if (errno == EEXIST) return -1;
  // AT_EMPTY_PATH needs CAP_DAC_READ_SEARCH; the descriptor's link in /proc
  // does the same for anyone who holds the descriptor.
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(),
                AT_SYMLINK_FOLLOW);
}

}  // namespace

const TemporaryMaker& ThisProcess() {
  // Measured again in a forked child, whose id is its own.
  static std::mutex mutex;
  static TemporaryMaker me;
  std::lock_guard<std::mutex> lock(mutex);
  if (me.pid != getpid()) me = Measure();
  return me;
}

bool ParseTemporaryName(const std::string& name, TemporaryMaker& maker,
                        unsigned long long& inode) {
  const std::size_t prefix = sizeof kPrefix - 1;
  if (name.compare(0, prefix, kPrefix) != 0) return false;
  std::size_t at = prefix;
  if (name.size() < at + 17 || name[at + 16] != '-') return false;
  for (std::size_t i = at; i < at + 16; ++i) {
    char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  maker.boot = name.substr(at, 16);
  at += 17;
  unsigned long long pid = 0;
  if (!ReadNumber(name, at, '-', maker.pid_namespace) ||
      !ReadNumber(name, at, '-', pid) ||
      !ReadNumber(name, at, '-', maker.start)) {
    return false;
  }
  const bool fresh = name.compare(at, 3, "new") == 0;
  if (fresh) at += 3;
  if (!ReadNumber(name, at, '~', inode)) return false;
  if (fresh) inode = 0;
  maker.pid = static_cast<long>(pid);
  return true;
}

TemporaryFile::TemporaryFile(const std::string& target, mode_t mode,
                             bool unnamed)
    : target_(target) {
  const std::string folder = HostFolder(target);
  if (unnamed && ProcFdUsable()) {
    fd_ = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd_ >= 0) {
      path_ = "/proc/self/fd/" + std::to_string(fd_);
      return;
    }
    // Refused by this file system or kernel (EOPNOTSUPP, EISDIR, ...): the
    // named form below meets any other failure again and reports it.
  }
  // A named file may meet the names a killed run left: they go first.
  SweepStaleTemporaries(folder);
  const std::string stem = folder + "/" + NameStem(ThisProcess());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string fresh = stem + "new" + std::to_string(attempt) + Shown(target);
    fd_ = open(fresh.c_str(),
               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
    if (fd_ < 0) {
      if (errno == EEXIST) continue;
      return;
    }
    named_ = true;
    path_ = fresh;
    // Bound to its inode at once, which is what lets a later run tell it
    // from a file that only carries a name like it.
    struct stat st;
    if (fstat(fd_, &st) == 0) {
      std::string bound = stem + std::to_string(st.st_ino) + Shown(target);
      if (rename(fresh.c_str(), bound.c_str()) == 0) path_ = bound;
    }
    return;
  }
  errno = EEXIST;
}

TemporaryFile::~TemporaryFile() { Discard(); }

void TemporaryFile::Discard() {
  if (named_ && !path_.empty()) unlink(path_.c_str());
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  path_.clear();
}

int TemporaryFile::Commit() {
  if (fd_ < 0) {
    errno = EBADF;
    return -1;
  }
  if (named_) {
    int closed = close(fd_);
    fd_ = -1;
    if (closed != 0 || rename(path_.c_str(), target_.c_str()) != 0) {
      int err = errno;
      Discard();
      errno = err;
      return -1;
    }
    path_.clear();
    return 0;
  }
  int result = LinkIn(fd_, target_);
  if (result != 0 && errno == EEXIST) {
    // linkat never replaces a name: link to a private name, then rename that
    // over the target. A kill between the two leaves a named temporary of
    // the grammar above, which the next run in this folder removes.
    struct stat st;
    result = fstat(fd_, &st);
    if (result == 0) {
      const std::string own = HostFolder(target_) + "/" +
                              NameStem(ThisProcess()) +
                              std::to_string(st.st_ino) + Shown(target_);
      result = LinkIn(fd_, own);
      if (result == 0 && rename(own.c_str(), target_.c_str()) != 0) {
        int err = errno;
        unlink(own.c_str());
        errno = err;
        result = -1;
      }
    }
  }
  int err = errno;
  // An unnamed file is closed after it is in place; the caller has flushed
  // it, so a failing close() here reports a file that is already complete.
  int closed = close(fd_);
  fd_ = -1;
  path_.clear();
  if (result != 0) {
    errno = err;
    return -1;
  }
  return closed;
}

void SweepStaleTemporaries(std::string_view folder_path) {
  const std::string folder(folder_path);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::size_t prefix = sizeof kPrefix - 1;
  while (struct dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix, kPrefix) != 0) continue;
    TemporaryMaker maker;
    unsigned long long inode = 0;
    if (!ParseTemporaryName(name, maker, inode)) continue;
    struct stat st;
    if (fstatat(dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode) || st.st_nlink != 1) {
      continue;
    }
    const bool ours = inode != 0
                          ? st.st_ino == inode
                          : st.st_size == 0 && BornWhileMakerRan(st, maker);
    if (ours && MakerIsGone(maker)) unlinkat(dirfd(dir), name.c_str(), 0);
  }
  closedir(dir);
}

}  // namespace rolvex
