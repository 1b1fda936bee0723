#include "platform/posix/posix_dos_attributes.h"

#include <errno.h>
#include <stdio.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace rolvex {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int ParseDosAttrib(const char* data, std::size_t size) {
  long value = 0;
  std::size_t i = 0;
  if (size >= 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X')) {
    for (i = 2; i < size && HexDigit(data[i]) >= 0 && i < 10; ++i) {
      value = value * 16 + HexDigit(data[i]);
    }
    return i == 2 ? 0 : static_cast<int>(value & 0xffff);
  }
  for (; i < size && data[i] >= '0' && data[i] <= '9' && i < 8; ++i) {
    value = value * 10 + (data[i] - '0');
  }
  // A digit run must end the value (or a NUL must); else it is some other
  // encoding we do not read.
  if (i == 0 || (i < size && data[i] != '\0')) return 0;
  return static_cast<int>(value & 0xffff);
}

int ReadDosAttrib(const std::string& host_path, bool* stored) {
  char buffer[256];
  ssize_t n =
      getxattr(host_path.c_str(), kDosAttribName, buffer, sizeof buffer);
  // Only "nothing stored" and "nowhere to store it" are known to hold
  // nothing; any other failure may hide a stored value.
  if (stored != nullptr) {
    *stored = !(n < 0 && (errno == ENODATA || errno == ENOTSUP));
  }
  if (n < 0 && errno == ERANGE) {
    // A long Samba blob: its hex text stands at the front, which is all we
    // need, so read it whole and parse the beginning.
    ssize_t size = getxattr(host_path.c_str(), kDosAttribName, nullptr, 0);
    if (size <= 0) return 0;
    std::string big(static_cast<std::size_t>(size), '\0');
    n = getxattr(host_path.c_str(), kDosAttribName, big.data(), big.size());
    return n > 0 ? ParseDosAttrib(big.data(), static_cast<std::size_t>(n)) : 0;
  }
  return n > 0 ? ParseDosAttrib(buffer, static_cast<std::size_t>(n)) : 0;
}

int ReadDosAttribOpen(int fd) {
  char buffer[256];
  ssize_t n = fgetxattr(fd, kDosAttribName, buffer, sizeof buffer);
  if (n < 0 && errno == ERANGE) {
    ssize_t size = fgetxattr(fd, kDosAttribName, nullptr, 0);
    if (size <= 0) return 0;
    std::string big(static_cast<std::size_t>(size), '\0');
    n = fgetxattr(fd, kDosAttribName, big.data(), big.size());
    return n > 0 ? ParseDosAttrib(big.data(), static_cast<std::size_t>(n)) : 0;
  }
  return n > 0 ? ParseDosAttrib(buffer, static_cast<std::size_t>(n)) : 0;
}

int WriteDosAttrib(const std::string& host_path, int bits) {
  // A read first: storing what is stored already would still be a write to
  // the disk's journal (and a failing removal a wasted call), and most files
  // the installer clears have nothing stored.
  char stored[32];
  ssize_t stored_length =
      getxattr(host_path.c_str(), kDosAttribName, stored, sizeof stored);
  if (bits == 0) {
    if (stored_length < 0 && (errno == ENODATA || errno == ENOTSUP)) return 0;
    if (removexattr(host_path.c_str(), kDosAttribName) == 0) return 0;
    // Nothing stored, or nowhere to store it: either way nothing is set.
    return (errno == ENODATA || errno == ENOTSUP) ? 0 : errno;
  }
  char text[16];
  int length = snprintf(text, sizeof text, "0x%x", bits);
  if (stored_length == length &&
      std::string_view(stored, static_cast<std::size_t>(length)) == text) {
    return 0;
  }
  if (setxattr(host_path.c_str(), kDosAttribName, text,
               static_cast<std::size_t>(length), 0) == 0) {
    return 0;
  }
  return errno;
}

int HostAttributes(const std::string& host_path, const std::string& name,
                   const struct stat& st) {
  return AttributeBits(name, st.st_mode, ReadDosAttrib(host_path));
}

int AttributeBits(std::string_view name, mode_t mode, int stored) {
  int bits = stored & (kAttrHidden | kAttrSystem | kAttrArchive);
  if (S_ISDIR(mode)) {
    bits |= kAttrDirectory | (stored & kAttrReadOnly);
  } else if ((mode & 0222) == 0 || (stored & kAttrReadOnly) != 0) {
    bits |= kAttrReadOnly;
  }
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
    bits |= kAttrHidden;
  }
  return bits;
}

mode_t CurrentUmask() {
  // /proc/self/status carries it since Linux 4.7; umask() itself can only be
  // read by setting it, which races with other threads making files.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
  }
  mode_t mask = umask(022);
  umask(mask);
  return mask;
}

}  // namespace rolvex
