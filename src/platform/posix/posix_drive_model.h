// The Windows drive model over a prefix folder, as Wine lays it out:
// PREFIX/dosdevices/c: is (or links to) the folder that stands for drive C:.
//
// Mapping rules (ToHost), chosen to behave like Windows where it matters and
// to fail clearly everywhere else:
// - The path is first read as Windows reads it (platform/rules/
//   windows_path.h): "/" separates, "." and ".." fold away without leaving
//   the drive, trailing dots and blanks go, a relative path is taken from
//   the current folder (named as ToWindows names it). A path that still
//   names no drive (UNC): RunError 76.
// - The drive's folder is PREFIX/dosdevices/<letter>: (lower case, as Wine
//   names it; an upper-case link is accepted too). A letter without a link is
//   Z: -> "/" when no z: link exists; any other unmapped letter: 76.
// - A NUL in the path gives RunError 52 "Bad file name or number". A
//   component that does not exist and holds a character Windows refuses in a
//   name (< > : " | ? * and control characters) gives 52 too; one the host
//   already has is used as it is (a pack kept in a Linux folder "SP: 2").
// - Each component is looked up without regard to letter case (ASCII letters
//   only; other bytes must match exactly). An exact match wins; when several
//   host names differ only in case and none matches exactly, the one that is
//   first in byte order (strcmp) is taken, so the choice does not depend on
//   the order the host lists a folder in. A component that does not exist
//   keeps the case given, and so do all after it.
// - A component that must be a folder (one that is followed by another, or by
//   a trailing separator) but exists as something else: RunError 76.
//
// Cost: a path that exists as written is one lstat, of the whole host path;
// the kernel's path cache makes that cheap, and nothing is kept here that
// could go stale. Only a name missing as written is looked for in other
// letter cases, through FolderNames (see posix_folder_names.h for what it
// keeps and why it stays true).
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_DRIVE_MODEL_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_DRIVE_MODEL_H_

#include <sys/stat.h>

#include <memory>
#include <string>

#include "platform/posix/posix_folder_names.h"
#include "platform/rules/windows_path.h"

namespace rolvex {

class DriveModel {
 public:
  // A model over `prefix`; when the prefix has no dosdevices folder it is
  // created with dosdevices/c: -> ../drive_c and an empty drive_c (missing
  // parent folders of the prefix too). A relative prefix is taken from the
  // current folder, once. Throws RunError 75 when the layout cannot be made.
  // `indexed` false: no names are kept (ROLVEX_FILE_INDEX=off).
  explicit DriveModel(std::string prefix, bool indexed = true);
  // The prefix PrefixFromEnvironment names (posix_prefix_owner.h);
  // ROLVEX_FILE_INDEX=off turns the names index off.
  static DriveModel FromEnvironment();

  const std::string& prefix() const { return prefix_; }
  // false: ROLVEX_FILE_INDEX=off, nothing the layer reads is kept.
  bool indexed() const { return indexed_; }

  // The host path of a Windows path ("C:\Windows\Fonts" ->
  // PREFIX/dosdevices/c:/windows/Fonts), by the rules above. A drive's root
  // maps to the drive's folder itself (PREFIX/dosdevices/c:, or "/" for the
  // fallback Z:); no result ends in "/" except "/" itself.
  std::string ToHost(const std::string& windows_path) const;
  // The same; `found` is set to the lstat of the result where the mapping
  // met it, else its st_mode is 0 (nothing known: missing, or not asked).
  std::string ToHost(const std::string& windows_path, struct stat* found) const;
  // The host folder of the drive `windows_path` lies on (as ToHost reads
  // the path); the same errors as ToHost for the drive.
  std::string DriveRootOf(const std::string& windows_path) const;
  // `windows_path` as Windows reads it; throws 52 or 76 as ToHost does.
  WindowsPath Read(const std::string& windows_path) const;
  // Whether `windows_path` names a drive's root ("C:\", "C:\a\.."); no disk
  // access for a path that names its drive. Throws as ToHost does.
  bool NamesDriveRoot(const std::string& windows_path) const {
    return Read(windows_path).parts.empty();
  }

  // The Windows path of a host path, links on the way kept as named: the
  // drive whose folder is the longest head of the path (the same folder,
  // however it is named), else, with the path's links resolved, the same
  // again, else Z: with every "/" turned into "\". A drive's root ends in
  // "\" ("C:\"), nothing else does. A relative host path is taken from the
  // current folder.
  std::string ToWindows(const std::string& host_path) const;

  // The folder of the running program (/proc/self/exe) as a Windows path,
  // without trailing backslash except at a drive root.
  std::string ProgramDir() const;

 private:
  // The drive's folder for a letter (a-z), or "" when the letter is unmapped.
  std::string DriveFolder(char letter) const;

  std::string prefix_;
  std::string dosdevices_;  // PREFIX/dosdevices
  bool indexed_;
  // Shared by copies of the model, which see the same disk.
  std::shared_ptr<FolderNames> names_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_DRIVE_MODEL_H_
