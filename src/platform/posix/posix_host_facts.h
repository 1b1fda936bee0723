// What the file operations need to know of a host object, asked of the disk
// once and then kept in the drive model's folder index for as long as no
// change of the object has been reported (see posix_folder_index.h for what
// that trusts).
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_HOST_FACTS_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_HOST_FACTS_H_

#include <sys/stat.h>

#include <string>

#include "platform/posix/posix_drive_model.h"

namespace rolvex {

struct HostFacts {
  mode_t mode = 0;       // links followed
  long long mtime = 0;   // modification time, seconds; links followed
  bool is_link = false;  // the path itself is a symbolic link
  bool stored = false;   // user.DOSATTRIB is there at all
  int stored_bits = 0;   // as ReadDosAttrib reads it
  // Equal non-zero stamps of one path: nothing about the object has changed
  // in between. 0: the facts were not kept.
  unsigned long long stamp = 0;
};

// The facts of `host_path` (a path the drive model mapped, as of its last
// Refresh). `with_times`: the modification time is needed too. False, with
// errno set, when the object cannot be reached (links followed).
bool LookUpFacts(const DriveModel& drives, const std::string& host_path,
                 HostFacts& facts, bool with_times = true);

// All attribute bits of the object (see posix_dos_attributes.h).
int AttributesOf(const std::string& host_path, const HostFacts& facts);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_HOST_FACTS_H_
