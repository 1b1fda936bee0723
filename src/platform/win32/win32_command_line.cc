#include "platform/win32/win32_command_line.h"

#include <vector>

#include "platform/win32/win32_api.h"

namespace rolvex {

std::string RunningProgramFolder() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(),
                                 static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size())
      return FolderOfProgram(std::string(buffer.data(), n));
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace rolvex
