// A FileSystem that performs nothing: every read is answered from the real
// file system patched with the changes recorded so far, and every change is
// recorded instead of made. A preview runs the real installer over it, so the
// installer sees the PC as it would be at that point of the run.
//
// Recorded changes: folders created, files copied (the copy carries the
// source's attributes, last-modified time and content), attributes set,
// files deleted and lines appended. A change the real layer would refuse now
// is refused with the same error number instead: a missing source (53), a
// source that cannot be read (70), a folder in the way (75), a missing folder
// (76), a read-only or hidden target (70), a target another program holds in
// use (70, asked through the FileProbe). Failures the PC could only show when
// the operation is really made (disk full, a file locked meanwhile) are not
// foreseen.
//
// Paths are compared without regard to ASCII letter case, with doubled and
// trailing backslashes dropped; names the run creates keep the case given.
// Not modelled: a POSIX name starting with "." keeps reading as hidden after
// its attributes are cleared (the overlay reports what was set).
#ifndef ROLVEX_PLATFORM_DRY_RUN_DRY_RUN_FILE_SYSTEM_H_
#define ROLVEX_PLATFORM_DRY_RUN_DRY_RUN_FILE_SYSTEM_H_

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dry_run/file_probe.h"
#include "platform/file_system.h"
#include "platform/run_error.h"

namespace rolvex {

// One change the run would make, in the order it would make it.
struct FileChange {
  enum class Kind {
    kFolderCreated,
    kFileCopied,     // path = target, other = source
    kAttributesSet,  // attributes = the bits set
    kFileDeleted,
    kLineAppended,  // other = the line
    kFileWritten,   // an ini write created or changed the file
    kFolderRemoved,
  };
  Kind kind;
  std::string path;
  std::string other;
  int attributes = 0;
};

class DryRunFileSystem : public FileSystem {
 public:
  // `real` is only read, `probe` only asked; both must outlive this object.
  DryRunFileSystem(FileSystem& real, FileProbe& probe);

  std::string Dir(const std::string& path, int mask) override;
  std::string DirNext() override;
  int GetAttr(const std::string& path) override;
  void SetAttr(const std::string& path, int attributes) override;
  void FileCopy(const std::string& source, const std::string& target) override;
  // Refuses what the real staging would refuse now; the staged copy itself
  // is not recorded (nothing of the run reads it), and the source stands
  // for it: its bytes are what the copy would hold, and the preview names
  // the pack's file in the replacement it lists.
  std::string StageForRestart(const std::string& source,
                              const std::string& target) override;
  void Kill(const std::string& path) override;
  void MkDir(const std::string& path) override;
  // Refuses a folder that would still hold something.
  void RmDir(const std::string& path) override;
  FileTime DateLastModified(const std::string& path) override;
  void AppendLine(const std::string& path, const std::string& line) override;
  std::unique_ptr<ItemReader> OpenForInput(const std::string& path) override;
  void ReadContent(
      const std::string& path,
      const std::function<void(const char*, std::size_t)>& chunk) override;

  // Every change recorded so far, oldest first.
  const std::vector<FileChange>& changes() const { return changes_; }
  // The lines appended to `path`, oldest first.
  std::vector<std::string> LinesAppendedTo(const std::string& path) const;

  // Where the bytes of `path` would come from: nullopt when the file would
  // not exist (or is a folder), "" when the run would make it without
  // content of the PC (a new log or ini file), otherwise the real file whose
  // bytes it would hold (the path itself, or the source of a copy).
  std::optional<std::string> ContentOf(const std::string& path);
  // True when `path` would be a folder.
  bool FolderExists(const std::string& path);
  // True when `path` would be an existing file that is read-only.
  bool IsReadOnlyFile(const std::string& path);
  // True when `path` is the PC's own file and another program holds it.
  bool HeldInUse(const std::string& path);
  // Records that an ini write makes or changes the file `path` (its folder
  // exists; the write was accepted).
  void NoteWritten(const std::string& path);

  // `path` as Windows reads it (platform/rules/windows_path.h), "C:\" for a
  // drive's root; a relative path, which only the real layer can place, as
  // it is given.
  static std::string AsRead(const std::string& path);

 private:
  struct Entry {
    bool exists = false;
    bool folder = false;
    int attributes = 0;  // without the folder bit
    bool time_known = false;
    FileTime modified = 0;
    std::string name;        // the last component as stored
    std::string content_of;  // see ContentOf; "" when made without content
    bool original = false;   // still the PC's own object at this path
    // What the real layer gave for the path when it is missing.
    RunError missing = RunError::Of(kErrFileNotFound);
  };

  static std::string Key(const std::string& path);
  // The state of `path`: recorded, else read from the real file system.
  Entry Lookup(const std::string& path);
  // The recorded entry of `path`, made from the real state when missing.
  Entry& Materialize(const std::string& path);
  void RequireParentFolder(const std::string& path);
  // Records a new file without content of the PC (a log or ini file).
  void MakeEmptyFile(const std::string& path);
  bool HasRecordedChild(const std::string& folder_key) const;
  std::vector<std::string> Search(const std::string& path, int mask);
  std::vector<std::string> RealNames(const std::string& path, int mask);

  FileSystem& real_;
  FileProbe& probe_;
  std::map<std::string, Entry> entries_;
  std::vector<FileChange> changes_;
  std::vector<std::string> found_;
  std::size_t next_ = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_DRY_RUN_DRY_RUN_FILE_SYSTEM_H_
