// Environment variables of the process, looked up the Windows way.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_ENVIRONMENT_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_ENVIRONMENT_H_

#include <string>

#include "platform/environment.h"

namespace rolvex {

// Names match without regard to ASCII letter case, as on Windows. POSIX
// allows "WinDir" and "WINDIR" side by side: an exact match then wins, else
// the first such variable in the environment's own order. The value is
// returned whole, however long.
class PosixEnvironment : public Environment {
 public:
  std::string Get(const std::string& name) override;
  std::string ComputerName() override;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_ENVIRONMENT_H_
