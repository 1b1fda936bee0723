// Where an entry of a pack's tree goes on the PC.
#ifndef ROLVEX_SETTINGS_TARGET_PATH_H_
#define ROLVEX_SETTINGS_TARGET_PATH_H_

#include <string>

#include "settings/settings_state.h"

namespace rolvex {

// What a path that names no drive is taken to be below.
inline constexpr char kDefaultDrive[] = "C:\\";

// True when `path` names a drive (holds ":\"): it is taken as it is.
bool NamesDrive(const std::string& path);

// The target of the entry at `relative` (its path inside the tree, "\"
// between names): the placeholders resolved by ErsetzeEnvironment, and
// kDefaultDrive in front when the result names no drive.
std::string TargetPath(const DirectoryParameters& parameters,
                       const std::string& relative);

}  // namespace rolvex

#endif  // ROLVEX_SETTINGS_TARGET_PATH_H_
