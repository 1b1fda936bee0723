// The run lock on Windows: the named mutex "Global\RolvexServicePackRun",
// one for every pack and every session of the machine, so that an agent's
// run in session 0 and a technician's on the desktop exclude each other.
// The handle is not inheritable, and the system lets go of it when the
// process ends.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_RUN_LOCK_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_RUN_LOCK_H_

#include "platform/run_lock.h"

namespace rolvex {

inline constexpr char kRunMutexName[] = "Global\\RolvexServicePackRun";

class Win32RunLock : public RunLock {
 public:
  // A mutex that exists already belongs to another run, also when this
  // process may not open it (one made by SYSTEM, asked by a user).
  bool Claim() override;

 private:
  void* mutex_ = nullptr;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_RUN_LOCK_H_
