#include "platform/posix/posix_file_copy.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_errors.h"
#include "platform/posix/posix_host_path.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

// Closes a descriptor when the scope ends.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now, reporting the error a delayed write may only show here.
  int Close() {
    int result = close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// Creates the temporary file; returns its descriptor and sets `temp_path`.
int CreateTemporary(const std::string& target, std::string& temp_path) {
  static std::atomic<unsigned> counter{0};
  std::string folder = HostFolder(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path = folder + "/.~rolvex-" + HostName(target).substr(0, 200) + "-" +
                std::to_string(getpid()) + "-" + std::to_string(counter++);
    int fd =
        open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    if (errno != EEXIST) throw ErrnoError(errno, kErrPathNotFound);
  }
  throw RunError::Of(kErrPathFileAccess);
}

void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw ErrnoError(errno, kErrPathNotFound);
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void CopyBytes(int from, int to) {
  std::vector<char> buffer(1 << 16);
  while (true) {
    ssize_t n = read(from, buffer.data(), buffer.size());
    if (n == 0) return;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw ErrnoError(errno, kErrFileNotFound);
    }
    WriteAll(to, buffer.data(), static_cast<size_t>(n));
  }
}

void Check(int result, int not_found) {
  if (result != 0) throw ErrnoError(errno, not_found);
}

}  // namespace

void ReplaceByCopy(const std::string& source, const std::string& target) {
  Fd in(open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (in.get() < 0) throw ErrnoError(errno, kErrFileNotFound);
  struct stat source_st;
  Check(fstat(in.get(), &source_st), kErrFileNotFound);
  int source_attributes = ReadDosAttrib(source);

  std::string temp_path;
  Fd out(CreateTemporary(target, temp_path));
  try {
    CopyBytes(in.get(), out.get());
    if (source_attributes != 0) {
      // Windows carries the source's attributes over; a file system without
      // extended attributes simply cannot. Stored before the permission bits,
      // which may take away the right to store them.
      WriteDosAttrib(temp_path, source_attributes);
    }
    Check(fchmod(out.get(), source_st.st_mode & 0777), kErrPathNotFound);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1] = source_st.st_mtim;
    Check(futimens(out.get(), times), kErrPathNotFound);
    Check(fsync(out.get()), kErrPathNotFound);
    Check(out.Close(), kErrPathNotFound);
    Check(rename(temp_path.c_str(), target.c_str()), kErrPathNotFound);
  } catch (...) {
    unlink(temp_path.c_str());
    throw;
  }
  // Make the rename itself durable; the copy is complete either way.
  int dir =
      open(HostFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

}  // namespace rolvex
