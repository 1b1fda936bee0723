#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <random>
#include <string>

#include "platform/posix/posix_file_io.h"
#include "platform/whole_file.h"

namespace rolvex {

std::string WriteWholeFile(const std::string& path, const std::string& text) {
  // A name nobody can guess beforehand, so nobody can plant anything there;
  // what is there all the same is passed by (O_EXCL).
  std::random_device random;
  std::string temporary;
  UniqueFd fd;
  for (int attempt = 0; attempt < 100 && !fd.ok(); ++attempt) {
    char tail[32];
    snprintf(tail, sizeof tail, ".%08x%08x.tmp", random(), random());
    temporary = path + tail;
    fd = UniqueFd(open(
        temporary.c_str(),
        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644));
    if (!fd.ok() && errno != EEXIST) {
      return "cannot create " + temporary + ": " + strerror(errno);
    }
  }
  if (!fd.ok()) return "cannot create a temporary beside " + path;
  if (!WriteAll(fd.get(), text) || fsync(fd.get()) != 0 || fd.Close() != 0) {
    const std::string why = strerror(errno);
    unlink(temporary.c_str());
    return "cannot write " + temporary + ": " + why;
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string why = strerror(errno);
    unlink(temporary.c_str());
    return "cannot rename " + temporary + " to " + path + ": " + why;
  }
  return "";
}

}  // namespace rolvex
