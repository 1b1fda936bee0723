// Start-up of the installer: everything the load event of the window does.
#ifndef ROLVEX_SHELL_STARTUP_H_
#define ROLVEX_SHELL_STARTUP_H_

#include <string>

#include "shell/installer.h"

namespace rolvex {

// The load event: cancel latch, flags, screen metrics, command line,
// ProgramDir, directory parameters, layout for the mode, texts, language, log
// path, show, version hand-over; in the modes "1" and "2" the installation
// run, which ends the program. Returns only in the interactive mode, with the
// window waiting for its buttons.
void Form_Load(Installer& installer);

// Ends the program silently (exit status 4) when "CancelSP" of section
// "General" in "C:\ServicePack.ini" reads true.
void CancelKontrolle(Installer& installer, const std::string& call_path);

// Splits `text` at blanks (the space character only) into CommandArgs.
void ParameterAufloesen(Installer& installer, std::string& text,
                        const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_SHELL_STARTUP_H_
