#include "platform/win32_command_line.h"

#include <vector>

#include "platform/win32_api.h"

namespace rolvex {

std::string ArgumentText(const std::string& command_line) {
  std::size_t i = 0;
  const std::size_t n = command_line.size();
  if (n > 0 && command_line[0] == '"') {
    i = command_line.find('"', 1);
    i = (i == std::string::npos) ? n : i + 1;
  }
  // An unquoted token, or whatever directly follows the closing quote, runs
  // to the first blank or tab.
  while (i < n && command_line[i] != ' ' && command_line[i] != '\t') ++i;
  while (i < n && (command_line[i] == ' ' || command_line[i] == '\t')) ++i;
  return command_line.substr(i);
}

std::string FolderOfProgram(const std::string& program_path) {
  std::size_t slash = program_path.find_last_of('\\');
  if (slash == std::string::npos) return "";
  std::string folder = program_path.substr(0, slash);
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  return folder;
}

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
