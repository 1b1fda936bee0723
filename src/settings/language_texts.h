// The installer's numbered messages in the configured language.
#ifndef ROLVEX_SETTINGS_LANGUAGE_TEXTS_H_
#define ROLVEX_SETTINGS_LANGUAGE_TEXTS_H_

#include <string>

#include "settings/settings_state.h"

namespace rolvex {

// Text number `text_nr` (its decimal digits, a minus sign kept, are the key)
// from section `language` of ProgramDir\Rolvex.txt, read by LoadIniString;
// "" when the file, the language or the number is missing. With an empty
// language no section matches, so every text is "". Read afresh on every
// call; reports nothing.
std::string TextEinlesen(SettingsState& state, int text_nr,
                         const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_SETTINGS_LANGUAGE_TEXTS_H_
