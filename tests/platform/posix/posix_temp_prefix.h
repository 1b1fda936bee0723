// A throw-away prefix folder for the POSIX file-layer tests: made with
// mkdtemp, removed with everything in it when the test ends.
#ifndef ROLVEX_TESTS_PLATFORM_POSIX_POSIX_TEMP_PREFIX_H_
#define ROLVEX_TESTS_PLATFORM_POSIX_POSIX_TEMP_PREFIX_H_

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/run_error.h"

namespace rolvex {

// The number of the RunError `action` throws, 0 when it throws none.
template <typename Action>
int ErrorNumberOf(Action&& action) {
  try {
    action();
  } catch (const RunError& e) {
    return e.number();
  }
  return 0;
}

// Runs `body` in a child process and gives its exit status (255 when it
// died by a signal). For what must not touch the test process: resource
// limits, mount namespaces, locks held by "another process".
inline int RunInChild(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

class TempPrefix {
 public:
  TempPrefix() {
    char pattern[] = "/tmp/rolvex-test-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempPrefix() {
    std::error_code ignored;
    // Files a test made read-only must not stop the cleanup.
    for (auto it =
             std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator();
         it.increment(ignored)) {
      // Never through a link: a drive link may point at "/".
      if (!it->is_symlink(ignored)) chmod(it->path().c_str(), 0755);
    }
    std::filesystem::remove_all(path_, ignored);
  }
  TempPrefix(const TempPrefix&) = delete;
  TempPrefix& operator=(const TempPrefix&) = delete;

  const std::string& path() const { return path_; }
  // The host folder of drive C: once a DriveModel has laid the prefix out.
  std::string drive_c() const { return path_ + "/drive_c"; }

  static void Write(const std::string& host_path, const std::string& text) {
    std::ofstream out(host_path, std::ios::binary | std::ios::trunc);
    out << text;
  }
  static std::string Read(const std::string& host_path) {
    std::ifstream in(host_path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_PLATFORM_POSIX_POSIX_TEMP_PREFIX_H_
