#include "platform/posix/posix_file_copy.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_errors.h"
#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_host_path.h"
#include "platform/posix/posix_temporary.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

void Check(int result, int not_found) {
  if (result != 0) throw ErrnoError(errno, not_found);
}

}  // namespace

void ReplaceByCopy(const std::string& source, const std::string& target,
                   bool replaces, PendingSyncs& pending,
                   const std::function<void()>& tick) {
  UniqueFd in(
      open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!in.ok()) throw ErrnoError(errno, kErrFileNotFound);
  struct stat source_st;
  Check(fstat(in.get(), &source_st), kErrFileNotFound);
  int source_attributes = ReadDosAttrib(source);

  TemporaryFile out(target, 0600);
  if (!out.ok()) {
    if (errno == EEXIST) throw RunError::Of(kErrPathFileAccess);
    throw ErrnoError(errno, kErrPathNotFound);
  }
  try {
    switch (CopyAll(in.get(), out.get(), tick)) {
      case CopyResult::kDone:
        break;
      case CopyResult::kReadFailed:
        throw ErrnoError(errno, kErrFileNotFound);
      case CopyResult::kWriteFailed:
        throw ErrnoError(errno, kErrPathNotFound);
    }
    if (source_attributes != 0) {
      // Windows carries the source's attributes over; a file system without
      // extended attributes simply cannot. Stored before the permission bits,
      // which may take away the right to store them.
      WriteDosAttrib(out.path(), source_attributes);
    }
    Check(fchmod(out.get(), source_st.st_mode & 0777), kErrPathNotFound);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1] = source_st.st_mtim;
    Check(futimens(out.get(), times), kErrPathNotFound);
    // The old file may only go once the new bytes are on the disk; a new
    // file replaces nothing and is flushed with the others of its pass.
    if (replaces) Check(fdatasync(out.get()), kErrPathNotFound);
    struct stat out_st;
    Check(fstat(out.get(), &out_st), kErrPathNotFound);
    Check(out.Commit(), kErrPathNotFound);
    // The rename itself (and a new file's bytes) reach the disk with the
    // pass's flush; until then a power failure leaves the old file.
    pending.Add(HostFolder(target), out_st.st_dev);
  } catch (...) {
    out.Discard();
    throw;
  }
}

}  // namespace rolvex
