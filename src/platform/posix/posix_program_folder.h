// Where the Linux program was started from.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_PROGRAM_FOLDER_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_PROGRAM_FOLDER_H_

#include <string>

namespace rolvex {

// The host folder of the program file as the process was started, from the
// path it was started by (`started_as`, argv[0]): a service pack may start
// the program through a link in its own folder to a program kept elsewhere,
// and its texts lie beside the link, not beside the program file that
// /proc/self/exe names.
//
// When `started_as` holds a "/", the answer is its folder, made absolute
// against `current_folder` when it is relative; links in it are left for the
// drive model to resolve. "" when `started_as` says nothing of the folder:
// a bare name (found on PATH), a relative path without a current folder, or
// a path that does not lead to the running program (a caller that set
// argv[0] to something else). The caller then takes the folder of
// /proc/self/exe.
std::string StartedProgramFolder(const std::string& started_as,
                                 const std::string& current_folder);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_PROGRAM_FOLDER_H_
