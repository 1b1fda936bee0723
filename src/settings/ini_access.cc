#include "settings/ini_access.h"

#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

// The profile reader strips the default's trailing blanks, so this all-blank
// default comes back as "": a missing value reads as empty.
constexpr int kBufferSize = 255;
const std::string& BlankDefault() {
  static const std::string blanks(kBufferSize, ' ');
  return blanks;
}

}  // namespace

std::string TrimBlanks(const std::string& text) {
  std::string::size_type first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  std::string::size_type last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string LoadIniString(SettingsState& state, const std::string& section,
                          const std::string& key, const std::string& file,
                          const std::string& call_path) {
  (void)call_path;  // reports nothing itself
  return state.profiles.GetString(section, key, BlankDefault(), kBufferSize,
                                  file);
}

bool LoadIniBoolean(SettingsState& state, const std::string& section,
                    const std::string& key, const std::string& file,
                    const std::string& call_path) {
  std::string value =
      LoadIniString(state, section, key, file, call_path + ".LoadIniBoolean");
  return AsciiUpperCase(value) == "TRUE";
}

bool SaveIni(SettingsState& state, const std::string& value,
             const std::string& section, const std::string& key,
             const std::string& file, const std::string& call_path) {
  (void)call_path;  // reports nothing itself
  // A refused write leaves the file as it was, without a message.
  return state.profiles.WriteString(section, key, TrimBlanks(value), file);
}

}  // namespace rolvex
