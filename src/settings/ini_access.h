// Reading and writing ini values: the only way the installer touches an ini
// file. Each call is one call of the profile store; nothing is cached and no
// file stays open.
#ifndef ROLVEX_SETTINGS_INI_ACCESS_H_
#define ROLVEX_SETTINGS_INI_ACCESS_H_

#include <string>

#include "settings/settings_state.h"

namespace rolvex {

// The value of `key` in `section` of `file` (a full path, used as it is),
// read as GetPrivateProfileStringA reads it into a buffer of 255 with an
// all-blank default: blanks around the value and one pair of enclosing quotes
// dropped, cut to its first 254 characters; "" when the file, the section or
// the key is missing or the file cannot be read. Section and key match
// without regard to case. Reports nothing.
std::string LoadIniString(SettingsState& state, const std::string& section,
                          const std::string& key, const std::string& file,
                          const std::string& call_path);

// True only when the value, read as LoadIniString reads it, is "TRUE" in any
// letter case (so " true " too); "1", "-1", "yes", "Wahr", "" are false.
bool LoadIniBoolean(SettingsState& state, const std::string& section,
                    const std::string& key, const std::string& file,
                    const std::string& call_path);

// Writes `value`, with the spaces around it removed (tabs stay), as `key` of
// `section` in `file`: an existing key is replaced, otherwise the key, the
// section and the file are made as needed. An empty or all-blank value writes
// "key=" and never deletes anything. Note the order: the value comes first.
// A refused write (folder missing, file read-only, disk full, ...) is not
// reported and leaves the file as it was; the result says whether the write
// was taken, for a caller that must know (the run's exit status).
bool SaveIni(SettingsState& state, const std::string& value,
             const std::string& section, const std::string& key,
             const std::string& file, const std::string& call_path);

// Removes leading and trailing space characters (tabs stay).
std::string TrimBlanks(const std::string& text);

}  // namespace rolvex

#endif  // ROLVEX_SETTINGS_INI_ACCESS_H_
