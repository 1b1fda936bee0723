// The byte work of FileCopy: a copy that replaces its target in one step.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_FILE_COPY_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_FILE_COPY_H_

#include <functional>
#include <string>

#include "platform/posix/posix_file_io.h"

namespace rolvex {

// Copies the regular file `source` onto `target` (host paths). The bytes go
// into a TemporaryFile beside the target (posix_temporary.h), which gets the
// source's permission bits, its stored DOS attributes and its last-modified
// time and then takes the target's place. So the target is either the old
// file or the complete copy, never a torn one; on any failure the temporary
// file is removed and the target is left as it was. The caller has made its
// checks (source a file, target not read-only, not a folder, not in use) and
// tells whether a file of the target's name `replaces` one that is there.
// `tick` runs now and then during a long copy (CopyAll). With `admit`, the
// source is also read for its SHA-256 on a second thread while the copy
// runs, and the copy takes the target's place only when `admit` accepts
// that digest (it throws to refuse; the temporary is then removed).
//
// Durability: a replacement's bytes are flushed (fdatasync) before it takes
// the target's place, so a power failure can never lose the old file without
// the new one being complete. A new file's bytes and every rename are
// flushed later, together: the target's file system is recorded in
// `pending`.
//
// Throws RunError: 53 source vanished, 70 source unreadable or target folder
// not writable, 61 disk full (also a file-size limit), 76 target folder
// missing, others as ErrnoError maps them.
void ReplaceByCopy(
    const std::string& source, const std::string& target, bool replaces,
    PendingSyncs& pending, const std::function<void()>& tick = nullptr,
    const std::function<void(const std::string&)>* admit = nullptr);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_FILE_COPY_H_
