// Writing a file whole, so that a reader sees the old file or the new one.
#ifndef ROLVEX_PLATFORM_WHOLE_FILE_H_
#define ROLVEX_PLATFORM_WHOLE_FILE_H_

#include <string>

namespace rolvex {

// Writes `text` into a temporary of a new, unique name beside `path`, made
// exclusively (O_CREAT | O_EXCL | O_NOFOLLOW, CREATE_NEW: never through a
// link or a file someone left at that name), and renames it over `path`.
// Returns "" on success, else what went wrong; no temporary stays behind.
// `path` is a host path on POSIX and a Windows path on Windows. One home
// per build: posix_whole_file.cc, win32_whole_file.cc.
std::string WriteWholeFile(const std::string& path, const std::string& text);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WHOLE_FILE_H_
