// The process environment.
#ifndef ROLVEX_PLATFORM_ENVIRONMENT_H_
#define ROLVEX_PLATFORM_ENVIRONMENT_H_

#include <string>

namespace rolvex {

class Environment {
 public:
  virtual ~Environment() = default;
  // The value of the variable `name`, or "" when it is missing. Names are
  // matched without regard to letter case (as Windows does; on POSIX an exact
  // match wins over other spellings). The whole value is returned however
  // long it is.
  virtual std::string Get(const std::string& name) = 0;
  // The computer's name (GetComputerNameA, gethostname); "" when unknown.
  virtual std::string ComputerName() = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_ENVIRONMENT_H_
