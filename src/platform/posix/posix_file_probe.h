// The preview's questions to a POSIX PC (see dry_run/file_probe.h), through
// the drive model: a file is in use when another process holds a lock on it,
// unreadable when it cannot be opened for reading.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_FILE_PROBE_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_FILE_PROBE_H_

#include <string>

#include "platform/dry_run/file_probe.h"
#include "platform/posix/posix_drive_model.h"

namespace rolvex {

class PosixFileProbe : public FileProbe {
 public:
  // `drives` must outlive this object.
  explicit PosixFileProbe(const DriveModel& drives) : drives_(drives) {}
  bool InUse(const std::string& path) override;
  bool Unreadable(const std::string& path) override;
  bool NotAFile(const std::string& path) override;

 private:
  const DriveModel& drives_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_FILE_PROBE_H_
