// The named directories and files of the machine, and the placeholders
// $Name$ that stand for them in paths and commands.
#ifndef ROLVEX_SETTINGS_DIRECTORY_PARAMETERS_H_
#define ROLVEX_SETTINGS_DIRECTORY_PARAMETERS_H_

#include <string>

#include "settings/settings_state.h"

namespace rolvex {

// Writes the eleven names and built-in defaults into rows 1 to 11
// ("WinDir" = "C:\Windows", ..., "BrandChangeDir" = "C:\Brandchange").
void SetDefaultDirectoryParameters(SettingsState& state);

// Replaces the value of row `row` (1 to 20) by the environment variable of the
// row's name when that variable is set and not empty. Throws RunError 9 for a
// row outside 1 to 20.
void GetDOSEnvironmentVariable(SettingsState& state, int row,
                               const std::string& call_path);

// `text` with its placeholders resolved: the leftmost pair of "$" whose name
// (compared without regard to case, the empty name matching the first empty
// row) names a row is replaced by the row's value, then the search starts
// again at the beginning. A pair whose name is no row stays as it is and the
// search goes on after its closing "$". A name whose value leads back to
// itself (directly or through other rows) is treated as unknown, so the
// resolution always ends.
std::string ErsetzeEnvironment(const SettingsState& state,
                               const std::string& text,
                               const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_SETTINGS_DIRECTORY_PARAMETERS_H_
