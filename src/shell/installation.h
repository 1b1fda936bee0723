// The installation run and the two buttons.
#ifndef ROLVEX_SHELL_INSTALLATION_H_
#define ROLVEX_SHELL_INSTALLATION_H_

#include <string>

#include "shell/installer.h"

namespace rolvex {

// Button 0 starts the run (ignored while a run is under way), button 1 ends
// the program at once.
void Taste_Click(Installer& installer, int index);

// Announces and runs the Standard, Register and Ini passes, registers the
// VisiWin tool library when asked to, and ends the program.
[[noreturn]] void Installation(Installer& installer,
                               const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_SHELL_INSTALLATION_H_
