// The byte work of FileCopy on Windows: a copy that replaces its target in
// one step, and the removal of the temporaries a killed installer left.
//
// CopyFile writes its target in place, so a process killed during the copy
// (a deployment agent's time-out, an operator's "Close the program") leaves
// a torn file whose time stamp is the time of the kill, and a later run
// takes it for newer than the pack's. Here the bytes go into a temporary in
// the target's folder, which then takes the target's place in one rename
// (MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
// The target is the old file or the complete new one, never half of one and
// never none. Access rules a replaced file had of its own (not inherited
// from its folder) go over to the new file first; its alternate data
// streams do not.
//
// A temporary's name tells who made it:
//
//   ~rolvex-<pid>-<created>-<n>.tmp
//
// <pid> is the maker's process id and <created> its creation time
// (GetProcessTimes, 16 hex digits), both in hex, <n> a counter. A file of
// that grammar is stale, and is removed, once its maker is gone: no process
// of that id runs, or the one that does began at another time, or it has
// ended. Any other name, a folder, and a file whose maker may still run
// (or cannot be asked) are never touched.
//
// The bytes are copied here, not by CopyFileExA: Wine's CopyFileEx never
// calls its progress routine, and the window must be kept responsive during
// a long copy on both.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_FILE_COPY_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_FILE_COPY_H_

#include <cstdint>
#include <functional>
#include <string>

namespace rolvex {

// Copies `source` onto `target` through a temporary as above. The target
// gets the source's bytes, last-write time and attributes, as CopyFile gives
// them. `target_exists` says whether a file is there to be replaced; the
// caller has refused a read-only, hidden or folder target. `tick` runs
// after every megabyte. Throws RunError: 53 source missing, 76 folder
// missing, 70 target in use or not writable, 61 disk full; on any failure
// the temporary is removed and the target is as it was.
void ReplaceByCopy(const std::string& source, const std::string& target,
                   bool target_exists, const std::function<void()>& tick);

// Copies `source` into a new file beside `target` whose name no sweep takes
// for stale ("~rolvex-restart-<pid>-<created>-<n>.tmp"), flushed to the
// disk, and returns its path: the source of a replacement at the next
// restart, which must be on the target's volume.
std::string StageBeside(const std::string& source, const std::string& target,
                        const std::function<void()>& tick);

// Removes the stale temporaries in `folder` (a Windows path without a
// trailing backslash), the first time it is asked for that folder in this
// process. Best effort.
void SweepStaleTemporaries(const std::string& folder);

// The parts of a temporary's name; false when `name` does not follow the
// grammar exactly. For the sweep and its tests.
struct TemporaryMaker {
  std::uint32_t pid = 0;
  std::uint64_t created = 0;
};
bool ParseTemporaryName(const std::string& name, TemporaryMaker& maker);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_FILE_COPY_H_
