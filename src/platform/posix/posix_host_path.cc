#include "platform/posix/posix_host_path.h"

#include <string>

#include "platform/run_error.h"

namespace rolvex {

std::string HostName(const std::string& host_path) {
  size_t slash = host_path.find_last_of('/');
  return slash == std::string::npos ? host_path : host_path.substr(slash + 1);
}

std::string HostFolder(const std::string& host_path) {
  size_t slash = host_path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : host_path.substr(0, slash);
}

bool StatFollow(const std::string& host_path, struct stat& st) {
  return stat(host_path.c_str(), &st) == 0;
}

void RequireParentFolder(const std::string& host_path) {
  struct stat st;
  if (!StatFollow(HostFolder(host_path), st) || !S_ISDIR(st.st_mode)) {
    throw RunError::Of(kErrPathNotFound);
  }
}

}  // namespace rolvex
