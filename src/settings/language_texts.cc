#include "settings/language_texts.h"

#include "settings/ini_access.h"

namespace rolvex {

std::string TextEinlesen(SettingsState& state, int text_nr,
                         const std::string& call_path) {
  return LoadIniString(state, state.language, std::to_string(text_nr),
                       state.program_dir + "\\Rolvex.txt",
                       call_path + ".TextEinlesen");
}

}  // namespace rolvex
