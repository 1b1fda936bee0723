// The named directories and files of the machine (their placeholders $Name$
// are resolved by ErsetzeEnvironment, settings/ersetze_environment.h).
#ifndef ROLVEX_SETTINGS_DIRECTORY_PARAMETERS_H_
#define ROLVEX_SETTINGS_DIRECTORY_PARAMETERS_H_

#include <string>

#include "settings/settings_state.h"

namespace rolvex {

// How many directory parameters the installer knows: rows 1 to 11.
inline constexpr int kDirectoryParameterCount = 11;

// Writes the eleven names and built-in defaults into rows 1 to 11
// ("WinDir" = "C:\Windows", ..., "BrandChangeDir" = "C:\Brandchange").
// Values are stored as they are: no backslash added or removed.
void SetDefaultDirectoryParameters(DirectoryParameters& parameters);
void SetDefaultDirectoryParameters(SettingsState& state);

// Replaces the value of row `row` (1 to 20) by the environment variable of the
// row's name when that variable is set and not empty; a row without a name is
// left alone. Throws RunError 9 for a row outside 1 to 20.
//
// A value of 4096 characters or more is taken whole: the environment hands
// over the whole value, and cutting a path somewhere would only point at a
// wrong folder. Whether the name is matched without regard to letter case is
// the Environment's business (it is, as on Windows).
void GetDOSEnvironmentVariable(SettingsState& state, int row,
                               const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_SETTINGS_DIRECTORY_PARAMETERS_H_
