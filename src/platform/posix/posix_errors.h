// Turning a failed system call into the run-time error operators know.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_ERRORS_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_ERRORS_H_

#include "platform/run_error.h"

namespace rolvex {

// The RunError for `err` (an errno value):
//   ENOENT                          -> `not_found` (53 for a file, 76 for a
//                                      folder on the way)
//   ENOTDIR                         -> 76 Path not found
//   EACCES EPERM EROFS ETXTBSY EBUSY EAGAIN -> 70 Permission denied
//   EEXIST EISDIR ENOTEMPTY         -> 75 Path/File access error
//   ENOSPC EDQUOT EFBIG             -> 61 Disk full
//   ENAMETOOLONG EINVAL             -> 52 Bad file name or number
//   EMFILE ENFILE                   -> 67 Too many files
//   EIO                             -> 57 Device I/O error
//   anything else                   -> 75, with the system's text added
// The errno value and its text are the error's system().
RunError ErrnoError(int err, int not_found);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_ERRORS_H_
