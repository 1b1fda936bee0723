// The Windows drive model over a prefix folder, as Wine lays it out:
// PREFIX/dosdevices/c: is (or links to) the folder that stands for drive C:.
#ifndef ROLVEX_PLATFORM_POSIX_DRIVE_MODEL_H_
#define ROLVEX_PLATFORM_POSIX_DRIVE_MODEL_H_

#include <string>

namespace rolvex {

class DriveModel {
 public:
  // A model over `prefix`; when the prefix has no dosdevices folder it is
  // created with dosdevices/c: -> ../drive_c and an empty drive_c.
  explicit DriveModel(std::string prefix);
  // The prefix named by ROLVEX_PREFIX, default ~/.local/share/rolvex.
  static DriveModel FromEnvironment();

  const std::string& prefix() const { return prefix_; }

  // The host path of a Windows path ("C:\Windows\Fonts" ->
  // PREFIX/dosdevices/c:/windows/Fonts). Each component is matched without
  // regard to letter case, an exact match first; components that do not
  // exist keep the case given. A drive without a link is Z: -> / when no z:
  // link exists. Throws RunError 76 (path not found) for any other unmapped
  // drive or a path that names no drive, and when a component that must be
  // a folder is a file.
  std::string ToHost(const std::string& windows_path) const;

  // The Windows path of a host path: the drive whose folder is the longest
  // prefix of it, else Z:.
  std::string ToWindows(const std::string& host_path) const;

 private:
  std::string prefix_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_DRIVE_MODEL_H_
