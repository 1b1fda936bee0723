// Descriptor-level file work shared by the POSIX backends that write files
// durably: a descriptor that closes itself, whole reads and writes that
// survive interrupted and short calls, and the flush of a folder after a
// rename. (The temporary a replacement is built in: posix_temporary.h.)
// Failures are reported as false or -1 with errno set, so that each caller
// maps them to its own error.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_FILE_IO_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_FILE_IO_H_

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rolvex {

// Owns a descriptor and closes it when the scope ends (-1: none).
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now and gives close()'s result: an error of a delayed write may
  // only show here. 0 when there is nothing to close.
  int Close();

 private:
  int fd_ = -1;
};

// Writes all of `bytes` at the descriptor's offset, retrying interrupted and
// short writes. False (errno set) when a write fails or writes nothing.
bool WriteAll(int fd, std::string_view bytes);

// Appends the whole content of the regular file `fd`, from its first byte,
// to `bytes` (pread: the descriptor's offset stays where it is). False
// (errno set) when a read fails.
bool ReadAll(int fd, std::string& bytes);

// What the installer reads of a settings or ini file at most: far more than
// any such file holds, and little enough that a file that never ends (a link
// to a file of /proc) or a huge sparse one cannot exhaust the memory.
inline constexpr std::size_t kSettingsFileLimit = std::size_t{64} << 20;

// As ReadAll, but at most `limit` bytes: a file that holds more gives false
// with errno EFBIG (`bytes` then holds an unspecified part of it). The size
// the file reports is not trusted: files of /proc report 0 and go on.
bool ReadAll(int fd, std::string& bytes, std::size_t limit);

enum class CopyResult { kDone, kReadFailed, kWriteFailed };
// Copies from `from`'s offset to its end onto `to`, retrying interrupted
// calls; on failure errno is that of the failed call. The kernel copies
// (copy_file_range: no bytes through user space, a reflink or a server-side
// copy where the file system has one); where it cannot, blocks are read and
// written. `tick`, when given, runs between two pieces of a few megabytes,
// so that a long copy can keep a window responsive.
CopyResult CopyAll(int from, int to,
                   const std::function<void()>& tick = nullptr);

// Flushes the folder that holds the host path `path`, so that a file created,
// renamed or removed in it survives a crash. Best effort: the file itself
// is complete either way.
void SyncFolderOf(const std::string& path);

// The file systems that hold files made without a flush of their own, so
// that one syncfs each makes all of them durable at once: one flush per pass
// instead of two per file. A file is only put here where losing it in a
// power failure loses nothing old: a new file, or the rename of a
// replacement whose bytes are already on the disk.
class PendingSyncs {
 public:
  // Records the file system of the folder `host_folder` (best effort: a
  // folder that cannot be opened is not recorded).
  void Add(const std::string& host_folder, dev_t device);
  // syncfs on each file system recorded, then forgets them. Best effort.
  void SyncAll();

 private:
  std::vector<std::pair<dev_t, UniqueFd>> folders_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_FILE_IO_H_
