// ParameterAufloesen: the command line's words, as start-up reads them.
#ifndef ROLVEX_SHELL_PARAMETER_AUFLOESEN_H_
#define ROLVEX_SHELL_PARAMETER_AUFLOESEN_H_

#include <string>

#include "shell/installer.h"

namespace rolvex {

// Splits `text` at blanks (the space character only; tabs and quotation marks
// are ordinary characters) into installer.command_args, counting the words in
// installer.arg_count. Runs of blanks separate like one blank; no empty entry
// is stored; entries after the last word are empty. The table holds 20 words:
// any word after the 20th is dropped (only the first word is ever read), so a
// long command line never stops start-up. `text` is left trimmed and
// shortened.
void ParameterAufloesen(Installer& installer, std::string& text,
                        const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_SHELL_PARAMETER_AUFLOESEN_H_
