#include "platform/posix/posix_errors.h"

#include <errno.h>
#include <string.h>

#include <string>

namespace rolvex {

namespace {

RunError NumberFor(int err, int not_found) {
  switch (err) {
    case ENOENT:
      return RunError::Of(not_found);
    case ENOTDIR:
      return RunError::Of(kErrPathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
    case EAGAIN:
      return RunError::Of(kErrPermissionDenied);
    case EEXIST:
    case EISDIR:
    case ENOTEMPTY:
      return RunError::Of(kErrPathFileAccess);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return RunError::Of(kErrDiskFull);
    case ENAMETOOLONG:
    case EINVAL:
      return RunError::Of(kErrBadFileName);
    case EMFILE:
    case ENFILE:
      return RunError(67, "Too many files");
    case EIO:
      return RunError(57, "Device I/O error");
    default:
      return RunError(
          kErrPathFileAccess,
          std::string("Path/File access error (") + strerror(err) + ")");
  }
}

}  // namespace

RunError ErrnoError(int err, int not_found) {
  RunError error = NumberFor(err, not_found);
  error.WithSystem({err, strerror(err)});
  return error;
}

}  // namespace rolvex
