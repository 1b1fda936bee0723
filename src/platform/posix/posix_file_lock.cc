#include "platform/posix/posix_file_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
  int fd =
      open(host_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
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

}  // namespace rolvex
