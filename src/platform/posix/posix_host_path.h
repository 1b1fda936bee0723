// Small helpers on host paths shared by the POSIX file operations.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_HOST_PATH_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_HOST_PATH_H_

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <string_view>

namespace rolvex {

// Whether two paths are the same text. The paths a run meets one after
// another mostly differ only near their end, so that is compared first.
inline bool SamePath(std::string_view a, std::string_view b) {
  const std::size_t n = a.size();
  if (n != b.size()) return false;
  if (n >= 8 && std::memcmp(a.data() + n - 8, b.data() + n - 8, 8) != 0) {
    return false;
  }
  return n == 0 || std::memcmp(a.data(), b.data(), n) == 0;
}

// The last component of a host path ("" for "/").
std::string HostName(const std::string& host_path);
// The folder that holds a host path ("/" for a top-level name).
std::string HostFolder(const std::string& host_path);

// stat() with links followed; false (errno set) when it fails.
bool StatFollow(const std::string& host_path, struct stat& st);

// Throws 76 unless the folder that is to hold `host_path` exists.
void RequireParentFolder(const std::string& host_path);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_HOST_PATH_H_
