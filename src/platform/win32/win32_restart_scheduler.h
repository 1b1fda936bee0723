// Replacement at the next restart with MoveFileExA(source, target, 5)
// (MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT): the system
// records the pair in PendingFileRenameOperations and carries it out when it
// starts again.
//
// The function is looked up in its module when the object is made; when it
// cannot be found there, ReplaceAtRestart throws RunError 453, which is the
// "function cannot be reached" case the installer reports. The module and
// function names can be given so that a test can reach that case.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_RESTART_SCHEDULER_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_RESTART_SCHEDULER_H_

#include <string>

#include "platform/restart_scheduler.h"

namespace rolvex {

class Win32RestartScheduler : public RestartScheduler {
 public:
  explicit Win32RestartScheduler(std::string module = "kernel32.dll",
                                 std::string function = "MoveFileExA");

  bool ReplaceAtRestart(const std::string& source,
                        const std::string& target) override;
  // Takes the pair out of the value PendingFileRenameOperations of the key
  // "HKLM\SYSTEM\CurrentControlSet\Control\Session Manager", where
  // MoveFileEx put it as "\??\source" and "!\??\target"; names compare
  // without regard to case.
  bool CancelReplaceAtRestart(const std::string& source,
                              const std::string& target) override;

 private:
  std::string module_;
  std::string function_;
  // The resolved MoveFileExA, or null.
  void* move_file_ex_ = nullptr;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_RESTART_SCHEDULER_H_
