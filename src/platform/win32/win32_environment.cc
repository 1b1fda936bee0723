#include "platform/win32/win32_environment.h"

#include <vector>

#include "platform/win32/win32_api.h"

namespace rolvex {

std::string Win32Environment::Get(const std::string& name) {
  if (name.empty()) return "";
  std::vector<char> buffer(4096, ' ');
  // The value may change between the calls; a few rounds settle it.
  for (int round = 0; round < 4; ++round) {
    DWORD n = GetEnvironmentVariableA(name.c_str(), buffer.data(),
                                      static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    // Too small: n is the size needed, terminating zero included.
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.assign(n, ' ');
  }
  return "";
}

std::string Win32Environment::ComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) return "";
  return std::string(name, size);
}

}  // namespace rolvex
