#include "platform/posix/posix_program_folder.h"

#include <sys/stat.h>

#include <string>

namespace rolvex {
namespace {

// True when `path`, links followed, is the file the process runs.
bool IsRunningProgram(const std::string& path) {
  struct stat named, running;
  return stat(path.c_str(), &named) == 0 &&
         stat("/proc/self/exe", &running) == 0 &&
         named.st_dev == running.st_dev && named.st_ino == running.st_ino;
}

}  // namespace

std::string StartedProgramFolder(const std::string& started_as,
                                 const std::string& current_folder) {
  if (started_as.find('/') == std::string::npos) return "";
  std::string path = started_as;
  if (path.front() != '/') {
    if (current_folder.empty()) return "";
    path = current_folder + (current_folder.back() == '/' ? "" : "/") + path;
  }
  if (!IsRunningProgram(path)) return "";
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace rolvex
