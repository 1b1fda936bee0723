#include "platform/win32/win32_process_runner.h"

#include <vector>

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

 private:
  PROCESS_INFORMATION info_;
};

}  // namespace

std::unique_ptr<Process> Win32ProcessRunner::Start(
    const std::string& command_line) {
  // CreateProcessA may write into the command line, so it gets a copy.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                      NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &info)) {
    return nullptr;
  }
  return std::make_unique<Win32Process>(info);
}

}  // namespace rolvex
