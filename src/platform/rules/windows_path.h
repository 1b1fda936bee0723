// How Windows reads a path before it looks at the disk (GetFullPathName):
// the one rule that every layer mapping or keying Windows paths follows.
//
// - "/" separates components as "\" does.
// - Empty components and "." are dropped; ".." drops the component before
//   it and never climbs above the drive's root ("C:\..\x" is "C:\x").
// - A component followed by a separator loses one trailing "." ("Tools.\x"
//   is "Tools\x"); the path's end loses all its trailing dots and blanks
//   ("C:\sp.log." is "C:\sp.log", "C:\Data " is "C:\Data").
// - A relative path ("install.log", "..\x") is taken from the current
//   folder; a path from the root ("\x") from the current folder's drive; a
//   drive-relative one ("D:x") from the current folder when that is on the
//   same drive, else from the drive's root.
// - A path that names no drive even so (a UNC path "\\server\share", an
//   empty path, or nothing to resolve against) has no reading: the caller
//   reports it.
#ifndef ROLVEX_PLATFORM_RULES_WINDOWS_PATH_H_
#define ROLVEX_PLATFORM_RULES_WINDOWS_PATH_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rolvex {

struct WindowsPath {
  char drive = 'C';                // the drive letter, upper case
  std::vector<std::string> parts;  // the components below the drive's root
  // The path ended in a separator: its last component must be a folder.
  bool folder = false;

  // "C:\a\b" ("C:\" for the root); with a trailing "\" when `folder`.
  std::string Text() const;
};

// The reading of `path`. `current_folder` is an absolute Windows path
// ("C:\Users\x"), or "" when relative paths have no reading.
std::optional<WindowsPath> ReadWindowsPath(std::string_view path,
                                           std::string_view current_folder);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RULES_WINDOWS_PATH_H_
