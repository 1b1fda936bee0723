#include "platform/posix/posix_process_runner.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/rules/command_line_split.h"
#include "platform/run_error.h"

extern char** environ;

namespace rolvex {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsExecutableFile(const std::string& path) {
  return IsRegularFile(path) && access(path.c_str(), X_OK) == 0;
}

// Children whose Process was destroyed before they ended. They are reaped
// without blocking whenever the runner is used again.
std::mutex orphans_mutex;
std::vector<pid_t>& Orphans() {
  static std::vector<pid_t> orphans;
  return orphans;
}

void ReapOrphans() {
  std::lock_guard<std::mutex> lock(orphans_mutex);
  auto& orphans = Orphans();
  orphans.erase(std::remove_if(orphans.begin(), orphans.end(),
                               [](pid_t pid) {
                                 int status;
                                 pid_t r = waitpid(pid, &status, WNOHANG);
                                 // Ended, or no longer our child.
                                 return r == pid || r == -1;
                               }),
                orphans.end());
}

void SleepMicroseconds(long long us) {
  struct timespec ts {
    static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000L
  };
  while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
  }
}

}  // namespace

std::string PosixProcessRunner::FindOnPath(const std::string& name) const {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return "";
  std::vector<std::string> folders;
  const std::string entries(path);
  for (std::size_t begin = 0; begin <= entries.size();) {
    std::size_t end = entries.find(':', begin);
    if (end == std::string::npos) end = entries.size();
    // An empty entry would mean the current folder; the installer's current
    // folder is no place to pick programs from.
    if (end > begin) folders.push_back(entries.substr(begin, end - begin));
    begin = end + 1;
  }
  // The exact name anywhere on PATH first: a stand-in "RegSvr32" put on
  // PATH must win over Wine's "regsvr32" in /usr/bin, whichever comes first.
  for (const std::string& folder : folders) {
    std::string exact = folder + "/" + name;
    if (IsExecutableFile(exact)) return exact;
  }
  for (const std::string& folder : folders) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) continue;
    std::string found;
    while (struct dirent* entry = readdir(dir)) {
      if (strcasecmp(entry->d_name, name.c_str()) != 0) continue;
      std::string candidate = folder + "/" + entry->d_name;
      // Several spellings: take the first in byte order, so that the
      // choice does not depend on the order the folder is listed in.
      if (IsExecutableFile(candidate) && (found.empty() || candidate < found))
        found = candidate;
    }
    closedir(dir);
    if (!found.empty()) return found;
  }
  return "";
}

std::string PosixProcessRunner::FindProgram(const std::string& name) const {
  if (name.empty()) return "";
  if (name.find_first_of("\\:") != std::string::npos) {
    // Windows takes "/" as a separator in a path as well.
    std::string windows_path = name;
    std::replace(windows_path.begin(), windows_path.end(), '/', '\\');
    try {
      std::string host = drives_.ToHost(windows_path);
      return IsRegularFile(host) ? host : "";
    } catch (const RunError&) {
      return "";  // no drive, a bad name: nothing to start
    }
  }
  if (name.find('/') != std::string::npos) {
    return IsRegularFile(name) ? name : "";
  }
  return FindOnPath(name);
}

bool PosixProcessRunner::Resolve(const std::string& command_line,
                                 ResolvedCommand* out) const {
  for (const ProgramCandidate& candidate : ProgramCandidates(command_line)) {
    for (const std::string& name : ProgramFileNames(candidate.program)) {
      std::string host = FindProgram(name);
      if (host.empty()) continue;
      out->program = host;
      out->words = SplitArguments(candidate.arguments);
      return true;
    }
  }
  return false;
}

std::vector<char*> PosixProcessRunner::ChildEnvironment(
    std::vector<std::string>& own) const {
  std::vector<char*> environment;
  const std::string wine_prefix = drives_.prefix();
  const bool wine = IsRegularFile(wine_prefix + "/system.reg");
  if (wine) own.push_back("WINEPREFIX=" + wine_prefix);
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (wine && std::strncmp(*variable, "WINEPREFIX=", 11) == 0) continue;
    environment.push_back(*variable);
  }
  for (std::string& variable : own) environment.push_back(variable.data());
  environment.push_back(nullptr);
  return environment;
}

std::unique_ptr<Process> PosixProcessRunner::Start(
    const std::string& command_line) {
  ReapOrphans();
  // A NUL inside the line would cut it short on Windows as well; it cannot
  // reach the child intact, so such a line starts nothing.
  if (command_line.find('\0') != std::string::npos) return nullptr;
  ResolvedCommand command;
  if (!Resolve(command_line, &command)) return nullptr;

  std::vector<char*> argv;
  argv.push_back(command.program.data());
  for (std::string& word : command.words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // The operator's answers are read from the installer's standard input: a
  // started program reading its own input must not take them. It reads the
  // null device instead, as a program started from a window on Windows
  // reads no console.
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return nullptr;
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null",
                                   O_RDONLY, 0);
  std::vector<std::string> own_environment;
  std::vector<char*> environment = ChildEnvironment(own_environment);
  pid_t pid;
  // posix_spawn (not posix_spawnp): the path is already resolved, and glibc
  // reports a failed exec here, so a file that cannot be executed (no
  // permission, no interpreter line) is "cannot be started".
  const int spawned = posix_spawn(&pid, command.program.c_str(), &actions,
                                  nullptr, argv.data(), environment.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return nullptr;
  return std::make_unique<PosixProcess>(pid);
}

PosixProcess::~PosixProcess() {
  if (!ended_ && !Poll()) {
    std::lock_guard<std::mutex> lock(orphans_mutex);
    Orphans().push_back(pid_);
  }
  ReapOrphans();
}

bool PosixProcess::Poll() {
  if (ended_) return true;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(pid_, &status, WNOHANG);
  } while (r == -1 && errno == EINTR);
  if (r == 0) return false;
  ended_ = true;  // ended, or not ours to wait for any more (ECHILD)
  wait_status_ = r == pid_ ? status : -1;
  return true;
}

std::optional<int> PosixProcess::ExitCode() {
  if (!ended_ || wait_status_ == -1) return std::nullopt;
  if (WIFEXITED(wait_status_)) return WEXITSTATUS(wait_status_);
  if (WIFSIGNALED(wait_status_)) return 128 + WTERMSIG(wait_status_);
  return std::nullopt;
}

bool PosixProcess::Wait(int milliseconds) {
  using Clock = std::chrono::steady_clock;
  const auto deadline =
      Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
  auto pause = std::chrono::microseconds(500);
  while (!Poll()) {
    auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        deadline - Clock::now());
    if (left.count() <= 0) return false;
    // Short pauses first, so that a quick command is noticed at once; never
    // more than 10 ms, so that the end of a child is seen promptly.
    SleepMicroseconds(std::min(pause, left).count());
    pause = std::min(pause * 2, std::chrono::microseconds(10000));
  }
  return true;
}

}  // namespace rolvex
