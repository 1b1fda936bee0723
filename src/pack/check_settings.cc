// Rolvex.ini and Rolvex.txt, read as start-up and TextEinlesen read them.
#include <optional>
#include <string>

#include "pack/pack_checks.h"
#include "platform/rules/ini_document.h"

namespace rolvex {
namespace {

// The numbers of the texts the passes and start-up log and show.
constexpr int kTextNumbers[] = {1,  2,  3,  14, 16, 17, 18,
                                19, 20, 21, 22, 28, 29, 30};

// The value as a profile read hands it back: an empty value is none.
std::optional<std::string> Read(const IniDocument& document,
                                const std::string& section,
                                const std::string& key) {
  std::optional<std::string> value = document.Find(section, key);
  if (value && value->empty()) return std::nullopt;
  return value;
}

// `entry`'s bytes in a document; false (a finding) when it is missing or
// cannot be read.
bool Open(const PackEntry* entry, const char* name, const char* rule,
          IniDocument& document, Findings& findings) {
  std::string bytes;
  if (entry == nullptr || entry->kind != PackEntry::Kind::kFile) {
    findings.Error(rule, "", name, 0,
                   std::string("the pack has no ") + name +
                       ", which the installer reads at start-up");
    return false;
  }
  if (!ReadHostFile(entry->host, bytes)) {
    findings.Error("file-unreadable", "", entry->relative, 0,
                   "the file cannot be read");
    return false;
  }
  document = IniDocument(std::move(bytes));
  return true;
}

}  // namespace

void CheckSettings(const PackEntry* ini, const PackEntry* txt,
                   Findings& findings) {
  IniDocument settings;
  std::optional<std::string> language;
  if (Open(ini, "Rolvex.ini", "settings-missing", settings, findings)) {
    const std::string& path = ini->relative;
    for (const char* key :
         {"Sprache", "Text1", "Text2", "Text3", "OK", "ESC"}) {
      if (!Read(settings, "Intern", key)) {
        findings.Error("settings-key-missing", "", path, 0,
                       std::string("[Intern] has no ") + key +
                           ", so start-up reads it as empty");
      }
    }
    if (!Read(settings, "ServicePack", "Version")) {
      findings.Error("settings-version-missing", "", path, 0,
                     "[ServicePack] has no Version, so an empty version is "
                     "handed to Computer.ini");
    }
    language = Read(settings, "Intern", "Sprache");
  }
  IniDocument texts;
  if (!Open(txt, "Rolvex.txt", "texts-missing", texts, findings)) return;
  if (!language) return;  // said above; no section to look into
  const std::string& path = txt->relative;
  if (!texts.HasSection(*language)) {
    findings.Error("texts-language-missing", "", path, 0,
                   "there is no section [" + *language +
                       "] for the language Rolvex.ini names, so every log "
                       "line and message loses its text");
    return;
  }
  for (int number : kTextNumbers) {
    if (!Read(texts, *language, std::to_string(number))) {
      findings.Warning("texts-number-missing", "", path, 0,
                       "[" + *language + "] has no text " +
                           std::to_string(number) +
                           ", which the installer logs or shows as empty");
    }
  }
}

}  // namespace rolvex
