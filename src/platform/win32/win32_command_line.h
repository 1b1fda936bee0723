// What the Windows window layer reads about its own process: the folder of
// the program file (the text rules are in platform/rules/command_line_split.h).
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_COMMAND_LINE_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_COMMAND_LINE_H_

#include <string>

#include "platform/rules/command_line_split.h"

namespace rolvex {

// The folder of the running program (GetModuleFileNameA) by FolderOfProgram.
std::string RunningProgramFolder();

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_COMMAND_LINE_H_
