// Environment variables through GetEnvironmentVariableA. A value that does
// not fit the first 4096-byte buffer is fetched again with the size the
// system names, so the whole value is used.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_ENVIRONMENT_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_ENVIRONMENT_H_

#include <string>

#include "platform/environment.h"

namespace rolvex {

class Win32Environment : public Environment {
 public:
  std::string Get(const std::string& name) override;
  std::string ComputerName() override;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_ENVIRONMENT_H_
