// The file a replacement is built in before it takes its target's place, and
// the removal of such files that a killed installer left behind.
//
// Where the file system allows it, the file has no name at all while it is
// written (O_TMPFILE in the target's folder): a kill at any moment leaves
// nothing behind, since the kernel frees an unnamed file with its last
// descriptor. Elsewhere (O_TMPFILE refused), and for the moment between
// linking a complete file in and renaming it over an existing target, the
// file carries a name of the installer's own grammar:
//
//   .~rolvex-<boot>-<pidns>-<pid>-<start>-<inode>~<target name>
//
// <boot> is 16 hex digits of the kernel's boot id, <pidns> the inode of the
// maker's PID namespace, <pid> and <start> the maker's process id and its
// start time (clock ticks since boot, field 22 of /proc/PID/stat), <inode>
// the inode number of the temporary itself; the target's name (cut to 120
// bytes) is only there for a person reading the folder. A named temporary is
// first made as ".~rolvex-<boot>-<pidns>-<pid>-<start>-new<n>~<target name>"
// and renamed to its inode-bearing name at once.
//
// A file is stale, and is removed, only when all of this holds: its name
// follows the grammar; it is a regular file with one link; it is the
// maker's own, which for an inode-bearing name means that its inode number
// is the one in its name, and for a "new<n>" name (one that a kill between
// two consecutive system calls caught before it got its inode) that it is
// empty and came into being while its maker ran; and its maker is gone,
// which is certain when the boot id differs from the running kernel's, or,
// in the same boot and PID namespace, when no process with that id and start
// time runs. A file of such a name that the installer did not make - a copy,
// a restored backup, anything written by another program - is another inode
// and is never touched; an empty "new<n>" file of the right age is the one
// doubtful case, and removing it loses no byte anyone wrote. Never touched
// either: a file whose maker may still run (another PID namespace, /proc
// unreadable), and the names of other versions of the installer, which
// prove nothing about their maker.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_TEMPORARY_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_TEMPORARY_H_

#include <sys/types.h>

#include <string>
#include <string_view>

namespace rolvex {

// A new file beside the host path `target` that becomes `target` on Commit
// and disappears otherwise. Creating a named one first sweeps the folder
// (below).
class TemporaryFile {
 public:
  // Opens the file for writing with `mode` (the umask applies). `unnamed`
  // false skips the O_TMPFILE attempt (for tests of the named form). Not
  // ok() (errno set) when it cannot be made; errno is EEXIST when every name
  // tried was taken.
  TemporaryFile(const std::string& target, mode_t mode, bool unnamed = true);
  ~TemporaryFile();  // removes the file unless it was committed
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  int get() const { return fd_; }
  // A path naming the file while it is written, for calls that take a path
  // (extended attributes): its own name, or /proc/self/fd/N when unnamed.
  const std::string& path() const { return path_; }
  bool named() const { return named_; }

  // Puts the complete file at the target, in one step: an unnamed file is
  // linked in (to a private name first and renamed over the target when the
  // target exists), a named one is renamed. Closes the descriptor; close()'s
  // error counts. 0 on success, -1 (errno set) on failure, and then the
  // temporary is gone and the target is as it was.
  int Commit();
  // Removes the file now (the destructor does it too); no-op once committed.
  void Discard();

 private:
  std::string target_;
  std::string path_;
  int fd_ = -1;
  bool named_ = false;
};

// Removes the stale temporaries (above) in the host folder `folder`: one
// read of the folder. Best effort: what cannot be read or removed is left.
void SweepStaleTemporaries(std::string_view folder);

// Whether `name` follows the grammar above; sets the parts when it does,
// `inode` 0 for a "new<n>" name. For the sweep and its tests.
struct TemporaryMaker {
  std::string boot;
  unsigned long long pid_namespace = 0;
  long pid = 0;
  unsigned long long start = 0;
};
bool ParseTemporaryName(const std::string& name, TemporaryMaker& maker,
                        unsigned long long& inode);
// This process as a maker; boot empty when /proc could not tell.
const TemporaryMaker& ThisProcess();

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_TEMPORARY_H_
