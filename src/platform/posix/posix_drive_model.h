// The Windows drive model over a prefix folder, as Wine lays it out:
// PREFIX/dosdevices/c: is (or links to) the folder that stands for drive C:.
//
// Mapping rules (ToHost), chosen to behave like Windows where it matters and
// to fail clearly everywhere else:
// - A path starts with a drive letter and a colon: "C:\..." or "C:" alone
//   (the drive's root). A relative path, a drive-relative path ("C:foo") or a
//   UNC path ("\\server\share") names no drive: RunError 76.
// - The drive's folder is PREFIX/dosdevices/<letter>: (lower case, as Wine
//   names it; an upper-case link is accepted too). A letter without a link is
//   Z: -> "/" when no z: link exists; any other unmapped letter: 76.
// - Only "\" separates components. A "/" (or NUL) inside a component gives
//   RunError 52 "Bad file name or number": mapping it silently would let a
//   name reach into another folder. A component holding a character Windows
//   refuses in a name (< > : " | ? * and control characters) gives 52 too,
//   unless the host already has an entry of that name: a service pack kept
//   in a Linux folder called "SP: 2" must still be readable, while a name
//   that Windows could not make is not made here either.
// - Empty components (doubled backslashes) and "." are dropped; ".." goes up
//   one level but never above the drive's root ("C:\..\x" is "C:\x", as on
//   Windows), so a path cannot escape the drive's folder by name.
// - Each component is looked up without regard to letter case (ASCII letters
//   only; other bytes must match exactly). An exact match wins; when several
//   host names differ only in case and none matches exactly, the one that is
//   first in byte order (strcmp) is taken, so the choice does not depend on
//   the order the host lists a folder in. A component that does not exist
//   keeps the case given, and so do all after it.
// - A component that must be a folder (one that is followed by another, or by
//   a trailing backslash) but exists as something else: RunError 76.
//
// Cost: the folders on the way are matched in memory (FolderIndex), so a
// mapping costs one read of the change queue, and one stat for each link on
// the way, instead of a walk of the disk from the drive's root down. The
// mappings made from the index alone (no link on the way, every folder
// indexed) are kept and given again while no indexed name has changed since
// (FolderIndex::generation), since a run maps each of its files many times
// (listed, then tested, read and written); so are the folders that hold the
// files mapped, under the same rule.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_DRIVE_MODEL_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_DRIVE_MODEL_H_

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/posix/posix_folder_index.h"

namespace rolvex {

class DriveModel {
 public:
  // A model over `prefix`; when the prefix has no dosdevices folder it is
  // created with dosdevices/c: -> ../drive_c and an empty drive_c (missing
  // parent folders of the prefix too). A relative prefix is taken from the
  // current folder, once. Throws RunError 75 when the layout cannot be made.
  // `indexed` false: no cache at all, every question goes to the disk.
  explicit DriveModel(std::string prefix, bool indexed = true);
  // The prefix named by ROLVEX_PREFIX, default $HOME/.local/share/rolvex;
  // ROLVEX_FILE_INDEX=off turns the caches off.
  static DriveModel FromEnvironment();

  const std::string& prefix() const { return prefix_; }

  // The host path of a Windows path ("C:\Windows\Fonts" ->
  // PREFIX/dosdevices/c:/windows/Fonts), by the rules above. A drive's root
  // maps to the drive's folder itself (PREFIX/dosdevices/c:, or "/" for the
  // fallback Z:); no result ends in "/" except "/" itself.
  std::string ToHost(const std::string& windows_path) const;

  // ToHost without the read of the change queue: the disk as of the last
  // Refresh (or ToHost). For an operation that maps several paths at once
  // and must see them as of one moment.
  void Refresh() const;
  std::string Map(const std::string& windows_path) const;

  // The index of the folders met (see posix_folder_index.h), for what the
  // file operations keep of the entries in them.
  FolderIndex& index() const { return *index_; }

  // The Windows path of a host path: the drive whose folder (both resolved
  // with realpath; a missing tail of `host_path` is kept as given) is the
  // longest prefix of it, else Z: with every "/" turned into "\". A drive's
  // root ends in "\" ("C:\"), nothing else does. A relative host path is taken
  // from the current folder.
  std::string ToWindows(const std::string& host_path) const;

  // The folder of the running program (/proc/self/exe) as a Windows path,
  // without trailing backslash except at a drive root.
  std::string ProgramDir() const;

 private:
  // The drive's folder for a letter (a-z), or "" when the letter is unmapped.
  // `from_index` tells whether the index alone gave the answer.
  std::string DriveFolder(char letter, bool& from_index) const;
  std::string MapAnew(const std::string& windows_path, bool& from_index) const;
  // The mapping of a plain path whose folder is kept in folders_, from the
  // index alone; false when the full rules must map it.
  bool MapInKnownFolder(const std::string& windows_path,
                        std::string& host) const;

  // Drops what is kept when the index's generation has moved on.
  void KeepCurrent() const;

  std::string prefix_;
  std::string dosdevices_;  // PREFIX/dosdevices
  // The folders met on the way, indexed once (see posix_folder_index.h for
  // what it trusts); shared by copies of the model, which see the same disk.
  std::shared_ptr<FolderIndex> index_;
  // The last mappings made from the index alone, while the index's
  // generation is kept_generation_; the newest at next_recent_ - 1.
  struct Mapping {
    std::string windows_path;
    std::string host_path;
  };
  mutable std::array<Mapping, 16> recent_;
  mutable std::size_t next_recent_ = 0;
  mutable std::size_t recent_count_ = 0;
  // Windows folder (drive letter in lower case, then each component as
  // given) -> host folder, under the same rule.
  mutable std::unordered_map<std::string, std::string> folders_;
  mutable unsigned long long kept_generation_ = 0;
  mutable std::string key_, name_;  // reused by MapInKnownFolder
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_DRIVE_MODEL_H_
