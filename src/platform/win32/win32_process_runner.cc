#include "platform/win32/win32_process_runner.h"

#include <vector>

#include "platform/rules/command_line_split.h"
#include "platform/win32/win32_api.h"

namespace rolvex {
namespace {

// Owns the process and thread handles of a started program; it never ends
// the program.
class Win32Process : public Process {
 public:
  explicit Win32Process(const PROCESS_INFORMATION& info) : info_(info) {}
  ~Win32Process() override {
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
  Win32Process(const Win32Process&) = delete;
  Win32Process& operator=(const Win32Process&) = delete;

  bool Wait(int milliseconds) override {
    DWORD timeout = milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds);
    // WAIT_TIMEOUT means still running; anything else (ended, or a handle
    // that can no longer be waited on) ends the caller's waiting.
    return WaitForSingleObject(info_.hProcess, timeout) != WAIT_TIMEOUT;
  }

  std::optional<int> ExitCode() override {
    DWORD code = 0;
    if (!GetExitCodeProcess(info_.hProcess, &code) || code == STILL_ACTIVE) {
      return std::nullopt;
    }
    return static_cast<int>(code);
  }

 private:
  PROCESS_INFORMATION info_;
};

}  // namespace

bool Win32ProcessRunner::CanStart(const std::string& command_line) {
  for (const ProgramCandidate& candidate : ProgramCandidates(command_line)) {
    for (const std::string& name : ProgramFileNames(candidate.program)) {
      if (name.find_first_of("\\/:") != std::string::npos) {
        const DWORD attributes = GetFileAttributesA(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
          return true;
        }
      } else {
        char found[MAX_PATH];
        if (SearchPathA(nullptr, name.c_str(), nullptr, MAX_PATH, found,
                        nullptr) > 0) {
          return true;
        }
      }
    }
  }
  return false;
}

std::unique_ptr<Process> Win32ProcessRunner::Start(
    const std::string& command_line) {
  // CreateProcessA may write into the command line, so it gets a copy.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // A component copied a moment ago may still be held by whoever looks at
  // new files (a virus scanner): that refusal passes within a moment, so
  // it is tried again for up to two seconds before the command counts as
  // not started.
  for (int attempt = 0;; ++attempt) {
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                       NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                       &info)) {
      return std::make_unique<Win32Process>(info);
    }
    const DWORD error = GetLastError();
    if (attempt >= 20 ||
        (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)) {
      return nullptr;
    }
    Sleep(100);
    line.assign(command_line.begin(), command_line.end());
    line.push_back('\0');
  }
}

}  // namespace rolvex
