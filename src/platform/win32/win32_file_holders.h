// Who holds a file in use on Windows, for the run report.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_FILE_HOLDERS_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_FILE_HOLDERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/run_error.h"

namespace rolvex {

// Whether a failed call's error says the file is held by another program.
bool IsInUseError(std::uint32_t win32_error);

// The processes that hold `path` open, each with its image's file name.
// Asks the Restart Manager (RmGetList); where it cannot answer (it is
// missing, or a stub as under Wine), looks through the system's handle
// table for handles to the same file. Empty when nothing is known; never
// waits on another process.
std::vector<FileHolder> FileHoldersOf(const std::string& path);

// RunErrorOfWin32(error), with the holders of `path` when the error says
// the file is in use.
RunError RunErrorOfWin32For(std::uint32_t win32_error, const std::string& path);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_FILE_HOLDERS_H_
