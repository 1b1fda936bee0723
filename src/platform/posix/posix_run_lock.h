// The run lock on POSIX: an exclusive flock of PREFIX/rolvex-run.lock, a
// machine being its prefix. Its descriptor is not inherited by the programs
// the run starts, so a component that keeps running never holds it.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_RUN_LOCK_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_RUN_LOCK_H_

#include <string>

#include "platform/posix/posix_file_io.h"
#include "platform/run_lock.h"

namespace rolvex {

inline constexpr char kRunLockFileName[] = "rolvex-run.lock";

class PosixRunLock : public RunLock {
 public:
  explicit PosixRunLock(std::string prefix) : prefix_(std::move(prefix)) {}
  bool Claim() override;

 private:
  std::string prefix_;
  UniqueFd fd_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_RUN_LOCK_H_
