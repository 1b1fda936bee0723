// What the Windows window layer reads about its own process: the argument
// text of the command line, and the folder of the program file.
#ifndef ROLVEX_PLATFORM_WIN32_COMMAND_LINE_H_
#define ROLVEX_PLATFORM_WIN32_COMMAND_LINE_H_

#include <string>

namespace rolvex {

// The command line without the program's own path, as WinMain's lpCmdLine
// gives it: the first token is skipped by the Windows rules (up to the next
// double quote when it starts with one, else up to the first blank or tab),
// then the blanks and tabs that separate it from the arguments. The rest
// stands as it is: quotes, inner and trailing blanks are kept.
std::string ArgumentText(const std::string& command_line);

// The folder of a program file's full path: everything before the last
// backslash, with the backslash kept only at a drive root ("C:\"). A path
// without a backslash gives "".
std::string FolderOfProgram(const std::string& program_path);

// The folder of the running program (GetModuleFileNameA) by FolderOfProgram.
std::string RunningProgramFolder();

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_COMMAND_LINE_H_
