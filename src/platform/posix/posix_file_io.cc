#include "platform/posix/posix_file_io.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/posix/posix_host_path.h"

namespace rolvex {

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

int UniqueFd::Close() {
  if (fd_ < 0) return 0;
  int result = close(fd_);
  fd_ = -1;
  return result;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      // Not seen for files; without it the loop would never end.
      errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool ReadAll(int fd, std::string& bytes) {
  return ReadAll(fd, bytes, static_cast<std::size_t>(-1));
}

bool ReadAll(int fd, std::string& bytes, std::size_t limit) {
  char buffer[1 << 16];
  off_t offset = 0;
  std::size_t read = 0;
  while (true) {
    // Whole buffers: some files of /proc take only reads of whole records.
    ssize_t n = pread(fd, buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (static_cast<std::size_t>(n) > limit - read) {
      errno = EFBIG;
      return false;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
    offset += n;
    read += static_cast<std::size_t>(n);
  }
}

CopyResult CopyAll(int from, int to, const std::function<void()>& tick) {
  // With someone to tell, the kernel copies in pieces of 32 MB, a few tens
  // of milliseconds each.
  const std::size_t piece = tick ? std::size_t{1} << 25 : std::size_t{1} << 30;
  for (bool first = true;; first = false) {
    ssize_t n = copy_file_range(from, nullptr, to, nullptr, piece, 0);
    if (n < 0 && errno == EINTR) continue;
    // Nothing at all may also be a file whose size the kernel does not know
    // (as in /proc): the blocks below then find out.
    if (n == 0 && !first) return CopyResult::kDone;
    if (n <= 0) break;  // the blocks below go on from where this stopped
    if (tick) tick();
  }
  // Not between these two files (another file system on an older kernel, a
  // file system without it, a special file): the bytes go through here, and
  // a real read or write failure is reported as that.
  std::vector<char> buffer(1 << 16);
  for (unsigned blocks = 1;; ++blocks) {
    if (tick && blocks % 512 == 0) tick();
    ssize_t n = read(from, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return CopyResult::kReadFailed;
    if (n == 0) return CopyResult::kDone;
    if (!WriteAll(
            to, std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
      return CopyResult::kWriteFailed;
    }
  }
}

void SyncFolderOf(const std::string& path) {
  UniqueFd folder(
      open(HostFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.ok()) fsync(folder.get());
}

void PendingSyncs::Add(const std::string& host_folder, dev_t device) {
  for (const auto& [known, fd] : folders_) {
    if (known == device) return;
  }
  UniqueFd folder(
      open(host_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.ok()) folders_.emplace_back(device, std::move(folder));
}

void PendingSyncs::SyncAll() {
  for (const auto& [device, fd] : folders_) syncfs(fd.get());
  folders_.clear();
}

}  // namespace rolvex
