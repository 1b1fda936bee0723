// Start-up of the installer: everything the load event of the window does.
#ifndef ROLVEX_SHELL_STARTUP_H_
#define ROLVEX_SHELL_STARTUP_H_

#include <string>

#include "shell/installer.h"

namespace rolvex {

// The load event, run once by the composition root before anything else.
// It first makes the buttons' clicks reach Taste_Click, then, in this order:
// cancel latch (a set latch ends the program with exit status 4 before any
// window is shown or anything is logged), AllDataEqual, screen metrics,
// command line, ProgramDir, directory parameters from defaults and
// environment, VWStudio, the layout for the mode ("1" panel, "2" unattended
// full screen, anything else interactive), scaling of the status label and
// the progress bar, the window font, Language, LogFilePath, bring to front
// and show (panel: topmost without activation), events, the version
// hand-over when the program runs from $ServicePackDir$, events; in the modes
// "1" and "2" the installation run, which ends the program. Returns only in
// the interactive mode, with the window waiting for its buttons.
void Form_Load(Installer& installer);

// Ends the program silently (exit status 4) when "CancelSP" of section
// "General" in "C:\ServicePack.ini" reads true; sets installer.cancel_sp.
void CancelKontrolle(Installer& installer, const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_SHELL_STARTUP_H_
