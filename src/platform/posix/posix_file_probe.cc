#include "platform/posix/posix_file_probe.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/posix_file_lock.h"
#include "platform/run_error.h"

namespace rolvex {

bool PosixFileProbe::InUse(const std::string& path) {
  try {
    return IsLockedByAnotherProcess(drives_.ToHost(path));
  } catch (const RunError&) {
    return false;  // a path the layer cannot map is refused for that reason
  }
}

bool PosixFileProbe::Unreadable(const std::string& path) {
  std::string host;
  try {
    host = drives_.ToHost(path);
  } catch (const RunError&) {
    return false;
  }
  // Not waiting at the open: a pipe must not stop the preview.
  const int fd =
      open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd >= 0) {
    close(fd);
    return false;
  }
  return errno != ENOENT;
}

}  // namespace rolvex
