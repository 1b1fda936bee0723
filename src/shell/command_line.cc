// The command-line split of start-up.
#include <string>

#include "settings/ini_access.h"
#include "shell/startup.h"

namespace rolvex {
namespace {

void StoreWord(Installer& installer, const std::string& word) {
  if (installer.arg_count >= static_cast<int>(installer.command_args.size())) {
    return;  // past the 20th word: dropped
  }
  installer.command_args[installer.arg_count] = word;
  ++installer.arg_count;
}

}  // namespace

void ParameterAufloesen(Installer& installer, std::string& text,
                        const std::string& call_path) {
  (void)call_path;  // reports nothing
  installer.arg_count = 0;
  for (std::string& entry : installer.command_args) entry.clear();

  text = TrimBlanks(text);
  for (std::string::size_type blank = text.find(' ');
       blank != std::string::npos; blank = text.find(' ')) {
    if (blank > 0) StoreWord(installer, text.substr(0, blank));
    text.erase(0, blank + 1);
  }
  text = TrimBlanks(text);
  if (!text.empty()) StoreWord(installer, text);
}

}  // namespace rolvex
