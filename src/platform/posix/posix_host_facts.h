// What the file operations need to know of a host object, asked of the disk
// each time: nothing about an entry is kept between questions.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_HOST_FACTS_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_HOST_FACTS_H_

#include <sys/stat.h>

#include <string>

namespace rolvex {

struct HostFacts {
  mode_t mode = 0;       // links followed
  long long mtime = 0;   // modification time, seconds; links followed
  bool is_link = false;  // the path itself is a symbolic link
  bool stored = false;   // user.DOSATTRIB is there at all
  int stored_bits = 0;   // as ReadDosAttrib reads it
};

// The facts of `host_path`. False, with errno set, when the object cannot
// be reached (links followed). `dos_bits` false: the stored bits are not
// read (stored_bits 0). `known`: its lstat just taken, when st_mode is not 0.
bool LookUpFacts(const std::string& host_path, HostFacts& facts,
                 bool dos_bits = true, const struct stat* known = nullptr);

// All attribute bits of the object (see posix_dos_attributes.h).
int AttributesOf(const std::string& host_path, const HostFacts& facts);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_HOST_FACTS_H_
