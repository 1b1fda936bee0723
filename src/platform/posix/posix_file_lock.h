// Whether another process holds a file locked, which is how "in use" looks
// on POSIX: a file open on Windows without sharing cannot be replaced or
// deleted, and the POSIX layer gives a locked file the same treatment.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_FILE_LOCK_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_FILE_LOCK_H_

#include <string>

namespace rolvex {

// True when some process holds a lock on the regular file `host_path`:
// a flock() lock of either kind, or an fcntl() record lock (classic or open
// file description) on any part of it. Tested without waiting and without
// keeping anything: a momentary exclusive flock, then F_OFD_GETLK (F_GETLK
// on kernels without it). False when the file cannot be opened for reading.
//
// Caution: a classic fcntl lock that this very process holds on the file is
// not seen, and closing our descriptor drops it (a POSIX rule); the
// installer never locks the files it installs, so only others' locks matter.
bool IsLockedByAnotherProcess(const std::string& host_path);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_FILE_LOCK_H_
