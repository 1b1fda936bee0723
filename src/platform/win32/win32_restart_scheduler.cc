#include "platform/win32/win32_restart_scheduler.h"

#include <utility>

#include "platform/run_error.h"
#include "platform/win32/win32_api.h"

namespace rolvex {
namespace {

using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
constexpr DWORD kReplaceAtRestart =
    MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT;  // 5

}  // namespace

Win32RestartScheduler::Win32RestartScheduler(std::string module,
                                             std::string function)
    : module_(std::move(module)), function_(std::move(function)) {
  // kernel32 is loaded in every process; another module is not loaded here.
  if (HMODULE handle = GetModuleHandleA(module_.c_str())) {
    move_file_ex_ =
        reinterpret_cast<void*>(GetProcAddress(handle, function_.c_str()));
  }
}

bool Win32RestartScheduler::ReplaceAtRestart(const std::string& source,
                                             const std::string& target) {
  if (move_file_ex_ == nullptr) {
    throw RunError(kErrCantRun, "Can't find DLL entry point " + function_ +
                                    " in " + module_);
  }
  auto move_file_ex = reinterpret_cast<MoveFileExFunction>(move_file_ex_);
  return move_file_ex(source.c_str(), target.c_str(), kReplaceAtRestart) !=
         FALSE;
}

}  // namespace rolvex
