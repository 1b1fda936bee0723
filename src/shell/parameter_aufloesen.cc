#include "shell/parameter_aufloesen.h"

#include <string>

#include "settings/ini_access.h"

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
  // Walks the text instead of cutting each word off its front, which would
  // move the rest of a long command line once per word.
  std::string::size_type rest = 0;
  for (std::string::size_type blank = text.find(' ');
       blank != std::string::npos; blank = text.find(' ', rest)) {
    if (blank > rest) StoreWord(installer, text.substr(rest, blank - rest));
    rest = blank + 1;
  }
  text = TrimBlanks(text.substr(rest));
  if (!text.empty()) StoreWord(installer, text);
}

}  // namespace rolvex
