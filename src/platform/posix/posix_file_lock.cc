#include "platform/posix/posix_file_lock.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace rolvex {
namespace {

bool HasRecordLock(int fd) {
  struct flock query = {};
  query.l_type = F_WRLCK;  // conflicts with every read or write lock
  query.l_whence = SEEK_SET;
  query.l_start = 0;
  query.l_len = 0;  // the whole file
#ifdef F_OFD_GETLK
  if (fcntl(fd, F_OFD_GETLK, &query) == 0) return query.l_type != F_UNLCK;
  if (errno != EINVAL) return false;
  query = {};
  query.l_type = F_WRLCK;
  query.l_whence = SEEK_SET;
#endif
  if (fcntl(fd, F_GETLK, &query) == 0) return query.l_type != F_UNLCK;
  return false;
}

}  // namespace

bool IsLockedByAnotherProcess(const std::string& host_path) {
  // Only a regular file is opened: opening a device can act on it.
  struct stat named;
  if (stat(host_path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) {
    return false;
  }
  int fd =
      open(host_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      st.st_ino != named.st_ino || st.st_dev != named.st_dev) {
    close(fd);
    return false;
  }
  bool locked = false;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    flock(fd, LOCK_UN);
  } else {
    locked = errno == EWOULDBLOCK;
  }
  if (!locked) locked = HasRecordLock(fd);
  close(fd);
  return locked;
}

namespace {

bool SameFile(const std::string& field, const struct stat& st) {
  unsigned major_id = 0, minor_id = 0;
  unsigned long long inode = 0;
  return std::sscanf(field.c_str(), "%x:%x:%llu", &major_id, &minor_id,
                     &inode) == 3 &&
         inode == st.st_ino && major_id == major(st.st_dev) &&
         minor_id == minor(st.st_dev);
}

std::string ProgramName(long pid) {
  std::string name;
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::getline(comm, name);
  return name;
}

void Add(std::vector<FileHolder>& holders, long pid, std::string name) {
  if (std::none_of(holders.begin(), holders.end(),
                   [&](const FileHolder& h) { return h.pid == pid; })) {
    holders.push_back({pid, std::move(name)});
  }
}

// The processes with a descriptor of the file that carries a lock: the
// owners of flock() and open file description locks, which /proc/locks
// names by the process that took them, perhaps long gone.
void AddDescriptorHolders(const struct stat& st,
                          std::vector<FileHolder>& holders) {
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return;
  while (const dirent* process = readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(process->d_name, &end, 10);
    if (pid <= 0 || *end != '\0' || pid == getpid()) continue;
    const std::string base = "/proc/" + std::string(process->d_name);
    DIR* fds = opendir((base + "/fd").c_str());
    if (fds == nullptr) continue;
    while (const dirent* fd = readdir(fds)) {
      if (fd->d_name[0] == '.') continue;
      struct stat open_st;
      if (stat((base + "/fd/" + fd->d_name).c_str(), &open_st) != 0 ||
          open_st.st_ino != st.st_ino || open_st.st_dev != st.st_dev) {
        continue;
      }
      std::ifstream info(base + "/fdinfo/" + fd->d_name);
      std::string line;
      while (std::getline(info, line)) {
        if (line.rfind("lock:", 0) == 0) {
          Add(holders, pid, ProgramName(pid));
          break;
        }
      }
    }
    closedir(fds);
  }
  closedir(proc);
}

}  // namespace

std::vector<FileHolder> LockHolders(const std::string& host_path) {
  std::vector<FileHolder> holders;
  struct stat st;
  if (stat(host_path.c_str(), &st) != 0) return holders;
  std::ifstream locks("/proc/locks");
  std::string line;
  bool by_descriptor = false;
  // "1: POSIX  ADVISORY  WRITE 4711 08:01:131074 0 EOF"; a waiting request
  // has "->" after the number and holds nothing yet.
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, file;
    long pid = 0;
    if (!(fields >> number >> kind) || kind == "->") continue;
    if (!(fields >> mode >> access >> pid >> file) || !SameFile(file, st)) {
      continue;
    }
    // A classic record lock belongs to its process and ends with it.
    std::string name = kind == "POSIX" && pid > 0 ? ProgramName(pid) : "";
    if (name.empty()) {
      by_descriptor = true;
    } else {
      Add(holders, pid, name);
    }
  }
  if (by_descriptor) AddDescriptorHolders(st, holders);
  return holders;
}

}  // namespace rolvex
