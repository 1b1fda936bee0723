// rolvex-restart: stands for the restart of the machine on Linux. It carries
// out the replacements the installer scheduled for the next restart (the
// list in the prefix named by ROLVEX_PREFIX, default ~/.local/share/rolvex),
// in the order they were requested. Only replacements of a target in the
// drives by a copy the installer staged beside it are carried out; anything
// else in the list is reported and skipped (posix_restart_scheduler.h).
// Run by root over a prefix another user owns, it does all of this as that
// user (posix_prefix_owner.h).
//
// Exit status: 0 when every replacement was carried out (or none was
// waiting), 1 when one or more failed (each is reported on standard error
// and kept for the next run) or were skipped, 2 for a bad command line, an
// unusable prefix, or the prefix's owner's rights that could not be taken.
#include <cstring>
#include <iostream>
#include <string>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_prefix_owner.h"
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
    // Root over a user's prefix carries the list out as that user, who
    // could have written anything into it (posix_prefix_owner.h).
    const std::string problem =
        rolvex::ActAsPrefixOwner(rolvex::PrefixFromEnvironment());
    if (!problem.empty()) {
      std::cerr << "rolvex-restart: " << problem << "\n";
      return 2;
    }
    rolvex::DriveModel drives = rolvex::DriveModel::FromEnvironment();
    return rolvex::CarryOutPendingRenames(drives, std::cerr) ? 0 : 1;
  } catch (const rolvex::RunError& e) {
    std::cerr << "rolvex-restart: " << e.description() << "\n";
    return 2;
  }
}
