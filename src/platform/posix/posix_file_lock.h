// Whether another process holds a file locked, which is how "in use" looks
// on POSIX: a file open on Windows without sharing cannot be replaced or
// deleted, and the POSIX layer gives a locked file the same treatment.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_FILE_LOCK_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_FILE_LOCK_H_

#include <string>
#include <vector>

#include "platform/run_error.h"

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

// The processes that hold locks on the file `host_path`, each once, with
// its name from /proc/PID/comm: the owners of record locks /proc/locks
// lists for its device and inode, and for flock() and open file
// description locks the processes whose descriptor of the file carries
// the lock (/proc/PID/fdinfo). Processes this user may not look into are
// missed; empty when nothing is known.
std::vector<FileHolder> LockHolders(const std::string& host_path);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_FILE_LOCK_H_
