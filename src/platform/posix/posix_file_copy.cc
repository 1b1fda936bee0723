#include "platform/posix/posix_file_copy.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_errors.h"
#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_host_path.h"
#include "platform/posix/posix_temporary.h"
#include "platform/run_error.h"
#include "platform/sha256.h"

namespace rolvex {
namespace {

void Check(int result, int not_found) {
  if (result != 0) throw ErrnoError(errno, not_found);
}

// From this size on a file's digest is read on a thread of its own while
// the kernel copies it; a smaller file is read in less time than a thread
// takes to start.
constexpr off_t kDigestThreadFrom = off_t{4} << 20;

// The SHA-256 of the open file `fd` of `size` bytes, read with pread so that
// the copy may use the same descriptor meanwhile: on a thread of its own
// for a large file, else at once.
class SourceDigest {
 public:
  SourceDigest(int fd, off_t size) {
    if (size >= kDigestThreadFrom) {
      thread_ = std::jthread([this, fd, size] { Read(fd, size); });
    } else {
      Read(fd, size);
    }
  }
  // The digest; throws as a failed read of the source does.
  const std::string& Result() {
    if (thread_.joinable()) thread_.join();
    if (error_ != 0) throw ErrnoError(error_, kErrFileNotFound);
    return hex_;
  }

 private:
  void Read(int fd, off_t size) {
    // One byte more than the file holds, to see its end at once.
    const std::size_t piece = static_cast<std::size_t>(
        std::min<off_t>(std::max<off_t>(size, 0) + 1, off_t{1} << 20));
    const auto buffer = std::make_unique_for_overwrite<char[]>(piece);
    Sha256 digest;
    for (off_t at = 0;;) {
      const ssize_t n = pread(fd, buffer.get(), piece, at);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error_ = errno;
        return;
      }
      if (n == 0) break;
      digest.Update(buffer.get(), static_cast<std::size_t>(n));
      at += n;
    }
    hex_ = digest.HexDigest();
  }

  int error_ = 0;
  std::string hex_;
  std::jthread thread_;  // last: joined before the members it writes go
};

}  // namespace

void ReplaceByCopy(const std::string& source, const std::string& target,
                   bool replaces, PendingSyncs& pending,
                   const std::function<void()>& tick,
                   const std::function<void(const std::string&)>* admit) {
  UniqueFd in(
      open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!in.ok()) throw ErrnoError(errno, kErrFileNotFound);
  struct stat source_st;
  Check(fstat(in.get(), &source_st), kErrFileNotFound);
  int source_attributes = ReadDosAttrib(source);
  // Started before the temporary exists, joined before either goes.
  std::optional<SourceDigest> digest;
  if (admit) digest.emplace(in.get(), source_st.st_size);

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
    // While a large file's digest is still being read on its own thread,
    // its bytes go to the disk: the two take about as long, and the pass's
    // flush then finds them written instead of writing them after the
    // digests.
    const bool overlap = digest && source_st.st_size >= kDigestThreadFrom;
    if (replaces || overlap) Check(fdatasync(out.get()), kErrPathNotFound);
    if (digest) (*admit)(digest->Result());
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
