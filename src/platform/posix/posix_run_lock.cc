#include "platform/posix/posix_run_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>

namespace rolvex {

bool PosixRunLock::Claim() {
  const std::string path = prefix_ + "/" + kRunLockFileName;
  // Never through a link: the file is only ever locked, never written, but
  // a link planted there must not make the run create a file elsewhere.
  fd_ = UniqueFd(open(path.c_str(),
                      O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                      0644));
  if (!fd_.ok()) return true;
  int result;
  do {
    result = flock(fd_.get(), LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0 || errno != EWOULDBLOCK;
}

}  // namespace rolvex
