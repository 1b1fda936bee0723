#include "platform/posix/posix_environment.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace rolvex {

std::string PosixEnvironment::Get(const std::string& name) {
  // A name with "=" or NUL can never be a variable's name.
  if (name.empty() || name.find('=') != std::string::npos ||
      name.find('\0') != std::string::npos) {
    return "";
  }
  if (const char* exact = getenv(name.c_str())) return exact;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const char* equals = strchr(*entry, '=');
    if (equals == nullptr) continue;
    size_t length = static_cast<size_t>(equals - *entry);
    if (length == name.size() &&
        strncasecmp(*entry, name.c_str(), length) == 0) {
      return equals + 1;
    }
  }
  return "";
}

std::string PosixEnvironment::ComputerName() {
  char name[256] = "";
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace rolvex
