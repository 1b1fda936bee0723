// Reading and writing ini values: the only way the installer touches an ini
// file. Each call is one call of the profile store; nothing is cached and no
// file stays open.
#ifndef ROLVEX_SETTINGS_INI_ACCESS_H_
#define ROLVEX_SETTINGS_INI_ACCESS_H_

#include <string>

#include "settings/settings_state.h"

namespace rolvex {

// The value of `key` in `section` of `file`, or "" when the file, section or
// key is missing; at most 254 characters.
std::string LoadIniString(SettingsState& state, const std::string& section,
                          const std::string& key, const std::string& file,
                          const std::string& call_path);

// True only when the value reads "TRUE" in any letter case.
bool LoadIniBoolean(SettingsState& state, const std::string& section,
                    const std::string& key, const std::string& file,
                    const std::string& call_path);

// Writes `value` (blanks around it removed) as `key` of `section` in `file`.
// Note the order: the value comes first. A failed write is not reported.
void SaveIni(SettingsState& state, const std::string& value,
             const std::string& section, const std::string& key,
             const std::string& file, const std::string& call_path);

// Removes leading and trailing space characters (tabs stay).
std::string TrimBlanks(const std::string& text);

}  // namespace rolvex

#endif  // ROLVEX_SETTINGS_INI_ACCESS_H_
