// Small helpers on host paths shared by the POSIX file operations.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_HOST_PATH_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_HOST_PATH_H_

#include <sys/stat.h>

#include <string>

namespace rolvex {

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
