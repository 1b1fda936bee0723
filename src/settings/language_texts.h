// The installer's numbered messages in the configured language.
#ifndef ROLVEX_SETTINGS_LANGUAGE_TEXTS_H_
#define ROLVEX_SETTINGS_LANGUAGE_TEXTS_H_

#include <string>

#include "settings/settings_state.h"

namespace rolvex {

// Text number `text_nr` from section `language` of ProgramDir\Rolvex.txt, or
// "" when the file, the language or the number is missing. Read afresh on
// every call.
std::string TextEinlesen(SettingsState& state, int text_nr,
                         const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_SETTINGS_LANGUAGE_TEXTS_H_
