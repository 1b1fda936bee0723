// rolvex-restart: stands for the restart of the machine on Linux. It carries
// out the replacements the installer scheduled for the next restart (the
// list in the prefix named by ROLVEX_PREFIX, default ~/.local/share/rolvex),
// in the order they were requested.
//
// Exit status: 0 when every replacement was carried out (or none was
// waiting), 1 when one or more failed (each is reported on standard error
// and kept for the next run), 2 for a bad command line or an unusable
// prefix.
#include <cstring>
#include <iostream>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_restart_scheduler.h"
#include "platform/run_error.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    bool help =
        std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
    (help ? std::cout : std::cerr)
        << "usage: rolvex-restart\n"
           "Carries out the file replacements the installer scheduled for "
           "the next restart\n(the prefix is $ROLVEX_PREFIX, default "
           "~/.local/share/rolvex).\n";
    return help ? 0 : 2;
  }
  try {
    rolvex::DriveModel drives = rolvex::DriveModel::FromEnvironment();
    return rolvex::CarryOutPendingRenames(drives, std::cerr) ? 0 : 1;
  } catch (const rolvex::RunError& e) {
    std::cerr << "rolvex-restart: " << e.description() << "\n";
    return 2;
  }
}
