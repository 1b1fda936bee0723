#include "platform/posix/posix_file_probe.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
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
  // Only a regular file is opened at all.
  struct stat st;
  if (stat(host.c_str(), &st) != 0) return errno != ENOENT;
  if (!S_ISREG(st.st_mode)) return false;
  const int fd =
      open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd >= 0) {
    close(fd);
    return false;
  }
  return errno != ENOENT;
}

bool PosixFileProbe::NotAFile(const std::string& path) {
  struct stat st;
  try {
    if (stat(drives_.ToHost(path).c_str(), &st) != 0) return false;
  } catch (const RunError&) {
    return false;
  }
  return !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

}  // namespace rolvex
