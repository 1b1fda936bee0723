// Profile (ini) files on POSIX: Windows paths mapped through the drive model,
// the bytes read and edited by IniDocument (which holds the reading and
// writing rules), and every write made atomic.
//
// - Reading: a file that is missing, unreadable, not a regular file or on an
//   unmapped drive reads as missing (the default rules apply).
// - Writing: the new bytes go to a TemporaryFile beside the ini file
//   (posix_temporary.h), which is flushed to disk and then takes its place, so
//   a crash or a full disk leaves either the old file or the new one, never a
//   torn one. The file keeps its permission bits, its owner (where the process
//   may set it) and its extended attributes (among them the hidden and system
//   bits in "user.DOSATTRIB"). A link is written through: the file it names is
//   replaced, the link stays. A file with further hard links is replaced by a
//   file of its own, as any atomic replacement does.
// - A missing file is created (permissions 0666 less the umask) when its
//   folder exists.
// - No write (false, file untouched) for a read-only file (no write
//   permission bit, or read-only in the stored DOS attributes; this holds for
//   root too), a file this user may not write (although the folder would let
//   it be renamed over), a file another process holds locked (as a file held
//   open without sharing on Windows), a missing folder, something that is not a
//   regular file, a UTF-16 file, and whatever IniDocument::Set refuses.
// - A write that would leave the bytes as they are succeeds without touching
//   the file.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_PROFILE_STORE_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_PROFILE_STORE_H_

#include <string>

#include "platform/posix/posix_drive_model.h"
#include "platform/profile_store.h"

namespace rolvex {

class PosixProfileStore : public ProfileStore {
 public:
  // `drives` must outlive the store.
  explicit PosixProfileStore(const DriveModel& drives) : drives_(drives) {}

  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& default_value, int buffer_size,
                        const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value, const std::string& file) override;

 private:
  bool Write(const std::string& section, const std::string& key,
             const std::string& value, const std::string& file);

  const DriveModel& drives_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_PROFILE_STORE_H_
