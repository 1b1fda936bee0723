// Replacement at the next restart on POSIX: requests go to the pending list
// in the prefix (posix_pending_renames.h); the program rolvex-restart stands
// for the restart and carries them out.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_RESTART_SCHEDULER_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_RESTART_SCHEDULER_H_

#include <ostream>
#include <string>

#include "platform/posix/posix_drive_model.h"
#include "platform/restart_scheduler.h"

namespace rolvex {

class PosixRestartScheduler : public RestartScheduler {
 public:
  explicit PosixRestartScheduler(const DriveModel& drives) : drives_(drives) {}

  // Appends the request to PREFIX/rolvex-pending-renames.txt and flushes it
  // to disk. Returns false, recording nothing, when a name cannot be mapped
  // through the drive model (no drive, a bad name), holds a line break or a
  // NUL, or when the list cannot be written (no permission, disk full): the
  // request was made but refused, as MoveFileEx returns FALSE. Throws
  // RunError 76 when the prefix folder itself is gone: then there is no
  // machine to restart, and the installer reports the call as one that could
  // not be carried out.
  bool ReplaceAtRestart(const std::string& source,
                        const std::string& target) override;

  // Rewrites the list without the request, under the list's lock.
  bool CancelReplaceAtRestart(const std::string& source,
                              const std::string& target) override;

  std::string list_path() const;

 private:
  const DriveModel& drives_;
};

// What the restart does with the list of `drives`' prefix: every request in
// order, replacing the target by the source, which is moved. Only requests
// the installer makes are carried out: the source a copy StageForRestart
// staged beside the target (its name, a file of its own that belongs to
// the running user), the target's folder (links resolved) inside the folder
// of its drive, and that drive not the whole machine. Any other request
// (a deletion, a file from elsewhere, a target outside the drives) is
// reported as one line on `errors` and taken out of the list. A request
// that fails is reported as one line on `errors` and stays in the list for
// the next restart; the others are taken out (the file is removed when
// nothing is left). Returns true when every request was carried out.
bool CarryOutPendingRenames(const DriveModel& drives, std::ostream& errors);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_RESTART_SCHEDULER_H_
