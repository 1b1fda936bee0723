// Replacing a file at the next restart of the machine.
#ifndef ROLVEX_PLATFORM_RESTART_SCHEDULER_H_
#define ROLVEX_PLATFORM_RESTART_SCHEDULER_H_

#include <string>

namespace rolvex {

class RestartScheduler {
 public:
  virtual ~RestartScheduler() = default;
  // Records that `target` is to be replaced by `source` at the next restart,
  // after every request recorded before it (MoveFileExA with
  // MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT). Returns whether
  // the request was recorded. Throws RunError only when the facility itself
  // cannot be reached.
  virtual bool ReplaceAtRestart(const std::string& source,
                                const std::string& target) = 0;
  // Takes the request to replace `target` by `source` out of the requests
  // still waiting for the restart. Returns false when there is no such
  // request (the restart has carried it out) or it could not be taken out;
  // never throws.
  virtual bool CancelReplaceAtRestart(const std::string& source,
                                      const std::string& target) = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RESTART_SCHEDULER_H_
