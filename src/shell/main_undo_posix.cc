// The Linux program rolvex-undo: puts the prefix back as it was before the
// runs journaled in a backup folder (undo/undo_tool.h). FOLDER is a host
// path; the prefix is ROLVEX_PREFIX's, as for rolvex, whose run lock it
// takes, and whose owner it becomes when run by root.
#include <ctime>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/exit_status.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_code_page.h"
#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_probe.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_prefix_owner.h"
#include "platform/posix/posix_process_runner.h"
#include "platform/posix/posix_profile_store.h"
#include "platform/posix/posix_restart_scheduler.h"
#include "platform/posix/posix_run_lock.h"
#include "platform/whole_file.h"
#include "rolvex_version.h"
#include "undo/undo_tool.h"

int main(int argc, char** argv) {
  using namespace rolvex;
  std::optional<UndoArguments> arguments = ParseUndoArguments(
      std::vector<std::string>(argv + 1, argv + argc), std::cerr);
  if (!arguments) return 2;
  try {
    if (const std::string problem = ActAsPrefixOwner(PrefixFromEnvironment());
        !problem.empty()) {
      std::cerr << "rolvex-undo: " << problem << '\n';
      return kExitNotAsOwner;
    }
    const DriveModel drives = DriveModel::FromEnvironment();
    PosixRunLock run_lock(drives.prefix());
    if (!run_lock.Claim()) {
      std::cerr << "rolvex-undo: another run is in progress on this prefix\n";
      return kExitAnotherRun;
    }
    arguments->folder = drives.ToWindows(arguments->folder);
    PosixFileSystem files(drives);
    PosixProfileStore profiles(drives);
    PosixProcessRunner processes(drives);
    PosixRestartScheduler restarts(drives);
    PosixEnvironment environment;
    PosixClock clock;
    const CodePage& code_page = CodePageOfEnvironment("rolvex-undo");
    const UndoReporting reporting{
        .report_path = environment.Get("ROLVEX_REPORT"),
        .facts = {environment.ComputerName(), ROLVEX_VERSION_TEXT, "linux"},
        .code_page = code_page,
        .write = WriteWholeFile,
        .now = [] { return static_cast<std::int64_t>(std::time(nullptr)); },
    };
    PosixFileProbe probe(drives);
    return RunUndoOrPreview(*arguments,
                            {files, profiles, processes, restarts, clock},
                            probe, reporting, std::cout, std::cerr);
  } catch (const std::exception& failure) {
    std::cerr << "rolvex-undo: " << failure.what() << '\n';
  }
  return 1;
}
