// The installer's file operations on Linux: Windows paths mapped through the
// drive model, Windows rules kept by the layer itself.
//
// Attributes are those of posix_dos_attributes.h. Read-only is enforced here,
// not left to the permission check, so that it holds for root too.
//
// Error numbers, per operation (anything not listed: see posix_errors.h):
// - every operation: 76 for a path that names no usable drive, is relative,
//   or runs through a file; 52 for a name Windows refuses ("/", "*", ...).
// - Dir: "" for a missing folder (also a file where the folder should be,
//   or a folder name Windows refuses); 76 only for the drive itself; 52 for
//   a bad pattern or a bad name of the entry sought; 70 for a folder that
//   may not be read or searched (never taken for an empty one).
// - GetAttr / SetAttr: 53 missing. SetAttr: 70 when hidden, system or a
//   folder's read-only must be stored on a file system without extended
//   attributes (archive alone is then dropped without a word). A name that
//   starts with "." stays hidden whatever is set.
// - FileCopy: 53 source missing; 75 source or target is a folder; 76 target
//   folder missing; 70 target read-only, in use (locked), or hidden by its
//   stored bit, whatever the source's bits. A name starting with "." does not
//   protect a target, so a pack can replace a dot-named file it installed;
//   the system bit does not either. 61 disk full or file-size limit.
// - Kill: 53 missing, and for a folder (Kill deletes files only); 70
//   read-only or in use.
// - MkDir: 75 the name exists (file or folder); 76 parent missing.
// - DateLastModified: 53 missing or a folder.
// - AppendLine: 75 a folder; 70 read-only; 76 folder missing; 61 disk full.
// - OpenForInput: 53 missing; 75 a folder; 70 unreadable.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_FILE_SYSTEM_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_FILE_SYSTEM_H_

#include <sys/stat.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_file_io.h"

namespace rolvex {

class PosixFileSystem : public FileSystem {
 public:
  // `drives` must outlive this object.
  explicit PosixFileSystem(const DriveModel& drives);
  // Flushes what Flush has not flushed yet.
  ~PosixFileSystem() override;

  std::string Dir(const std::string& path, int mask) override;
  std::string DirNext() override;
  int GetAttr(const std::string& path) override;
  void SetAttr(const std::string& path, int attributes) override;
  void FileCopy(const std::string& source, const std::string& target) override;
  // The digest is read on a second thread while the kernel copies.
  void FileCopyAdmitted(const std::string& source, const std::string& target,
                        const CopyAdmission& admit) override;
  // The staged file is ".~rolvex-restart-<time>-<pid>-<n>~<target name>",
  // made as FileCopy makes a new file and flushed to the disk before the
  // request naming it can be recorded.
  std::string StageForRestart(const std::string& source,
                              const std::string& target) override;
  void SetCopyProgress(std::function<void()> tick) override {
    tick_ = std::move(tick);
  }
  void Kill(const std::string& path) override;
  void MkDir(const std::string& path) override;
  void RmDir(const std::string& path) override;
  std::int64_t FileLen(const std::string& path) override;
  // A hard link where the two lie on one file system, else a copy.
  // Hard links where the two lie on one file system, else copies.
  std::unique_ptr<KeepFolder> OpenKeepFolder(
      const std::string& folder) override;
  FileTime DateLastModified(const std::string& path) override;
  void AppendLine(const std::string& path, const std::string& line) override;
  // The file opened once; each line one write.
  std::unique_ptr<LineAppender> OpenAppender(const std::string& path) override;
  std::unique_ptr<ItemReader> OpenForInput(const std::string& path) override;
  void ReadContent(
      const std::string& path,
      const std::function<void(const char*, std::size_t)>& chunk) override;
  // One syncfs for each file system that FileCopy put files on since the
  // last Flush (see ReplaceByCopy for what is flushed when).
  void Flush() override;
  void RemoveStaleTemporaries(const std::string& folder) override;

 private:
  friend class PosixKeepFolder;
  // Keeps `path` as `name` in the open folder `folder_fd` (host path
  // `host_folder`).
  std::int64_t KeepInto(const std::string& path, int folder_fd,
                        const std::string& host_folder,
                        const std::string& name);
  // Opens `path` to append, with AppendLine's checks.
  UniqueFd OpenToAppend(const std::string& path);
  // FileCopy, with the digest handed to `admit` when there is one.
  void Copy(const std::string& source, const std::string& target,
            const CopyAdmission* admit);
  // The names of a pattern search in `host_folder`, filtered and sorted;
  // "." and ".." only `with_dot_entries` (a drive's root has none).
  std::vector<std::string> SearchFolder(const std::string& host_folder,
                                        const std::string& pattern, int mask,
                                        bool with_dot_entries);
  // The name a plain-path search gives, or "". `found`: the lstat the
  // mapping took (st_mode 0 when it took none).
  std::string SearchOne(const std::string& host_path, int mask,
                        const struct stat& found);

  const DriveModel& drives_;
  PendingSyncs pending_;
  std::vector<std::string> found_;
  std::size_t next_ = 0;
  std::function<void()> tick_;
  std::set<std::string> swept_;  // host folders swept in this run
  std::unordered_set<std::string> swept_names_;  // and the names asked
  unsigned staged_ = 0;  // restart copies staged in this run
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_FILE_SYSTEM_H_
