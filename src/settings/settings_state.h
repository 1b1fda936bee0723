// Module-wide state of the settings layer: where the program lives, the
// directory parameters and the language of the texts.
#ifndef ROLVEX_SETTINGS_SETTINGS_STATE_H_
#define ROLVEX_SETTINGS_SETTINGS_STATE_H_

#include <array>
#include <string>

#include "platform/platform_parts.h"

namespace rolvex {

struct DirectoryParameter {
  std::string name;
  std::string value;
};

// 20 rows numbered 1 to 20; rows 1 to 11 hold the named directories and
// files, rows 12 to 20 stay empty.
class DirectoryParameters {
 public:
  static constexpr int kRows = 20;
  // Row `row` (1 to 20); throws RunError 9 (subscript out of range) outside.
  DirectoryParameter& row(int row);
  const DirectoryParameter& row(int row) const;

 private:
  std::array<DirectoryParameter, kRows> rows_;
};

struct SettingsState {
  explicit SettingsState(const PlatformParts& parts)
      : profiles(parts.profiles), environment(parts.environment) {}

  ProfileStore& profiles;
  Environment& environment;

  // The service pack's folder, a Windows path without trailing backslash.
  std::string program_dir;
  DirectoryParameters parameters;
  // Section of the texts file, from "Sprache" of the program's ini.
  std::string language;
};

}  // namespace rolvex

#endif  // ROLVEX_SETTINGS_SETTINGS_STATE_H_
