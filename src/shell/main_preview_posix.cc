// rolvex-preview: what "rolvex 2" started from FOLDER would do on this PC
// (the prefix named by ROLVEX_PREFIX, default ~/.local/share/rolvex), shown
// without changing anything. The real start-up and installation run over
// dry-run parts on the POSIX backends; see shell/preview.h.
//
// With --json FILE the plan is also written to FILE (a host path) in the run
// report's format; that file is the only one the preview writes.
//
// A prefix without drives is not made (the installer would make it): the
// preview then ends with status 2, as for a bad command line, a missing
// FOLDER, a report that cannot be written or, run by root over a prefix
// another user owns, when the preview cannot become that user. The other
// statuses are those of shell/preview.h; 3010 arrives as 194, its low 8 bits,
// as it does from rolvex.
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_code_page.h"
#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_probe.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_prefix_owner.h"
#include "platform/posix/posix_process_runner.h"
#include "platform/posix/posix_profile_store.h"
#include "platform/posix/posix_program_folder.h"
#include "platform/posix/posix_signals.h"
#include "platform/run_error.h"
#include "platform/whole_file.h"
#include "reporting/run_report_json.h"
#include "rolvex_version.h"
#include "shell/preview.h"

namespace rolvex {
namespace {

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string OwnFolder(const DriveModel& drives, const char* argv0) {
  char current[PATH_MAX];
  const std::string folder =
      StartedProgramFolder(argv0 != nullptr ? argv0 : "",
                           getcwd(current, sizeof current) ? current : "");
  return folder.empty() ? drives.ProgramDir() : drives.ToWindows(folder);
}

int Preview(const PreviewArguments& arguments, const char* argv0) {
  const std::string prefix = PrefixFromEnvironment();
  if (!IsFolder(prefix + "/dosdevices")) {
    std::cerr << "rolvex-preview: the prefix " << prefix
              << " has no drives yet (no dosdevices folder)\n";
    return kPreviewNotRun;
  }
  // Root previewing a user's prefix reads it, and writes the plan, as that
  // user (posix_prefix_owner.h).
  if (const std::string problem = ActAsPrefixOwner(prefix); !problem.empty()) {
    std::cerr << "rolvex-preview: " << problem << '\n';
    return kPreviewNotRun;
  }
  const DriveModel drives(prefix);
  std::string program_dir;
  if (arguments.folder.empty()) {
    program_dir = OwnFolder(drives, argv0);
  } else if (IsFolder(arguments.folder)) {
    program_dir = drives.ToWindows(arguments.folder);
  } else {
    std::cerr << "rolvex-preview: no folder " << arguments.folder << '\n';
    return kPreviewNotRun;
  }
  PosixFileSystem files(drives);
  PosixProfileStore profiles(drives);
  PosixEnvironment environment;
  PosixClock clock;
  PosixFileProbe probe(drives);
  PosixProcessRunner processes(drives);
  const CodePage& code_page = CodePageOfEnvironment("rolvex-preview");
  if (const std::string not_a_pack = NotAServicePack(files, program_dir);
      !not_a_pack.empty()) {
    std::cerr << "rolvex-preview: " << not_a_pack << '\n';
    return kPreviewNotRun;
  }
  const PreviewOutcome outcome =
      RunPreview(PreviewSources{files, profiles, environment, clock, probe,
                                processes, code_page},
                 program_dir, std::cerr);
  WritePreview(outcome, clock, code_page, arguments.changes, std::cout);
  if (!arguments.json_file.empty()) {
    const std::string problem = WriteWholeFile(
        arguments.json_file,
        PreviewJson(outcome,
                    {environment.ComputerName(), ROLVEX_VERSION_TEXT, "linux"},
                    code_page));
    if (!problem.empty()) {
      std::cerr << "rolvex-preview: report not written: " << problem << '\n';
      return kPreviewNotRun;
    }
  }
  return outcome.exit_status;
}

}  // namespace
}  // namespace rolvex

int main(int argc, char** argv) {
  using namespace rolvex;
  SurviveClosedOutput();
  const PreviewArguments arguments =
      ParsePreviewArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (arguments.help || !arguments.error.empty()) {
    if (!arguments.error.empty()) {
      std::cerr << "rolvex-preview: " << arguments.error << '\n';
    }
    (arguments.help ? std::cout : std::cerr) << kPreviewUsage;
    return arguments.help ? 0 : kPreviewNotRun;
  }
  try {
    return Preview(arguments, argc > 0 ? argv[0] : nullptr);
  } catch (const RunError& error) {
    std::cerr << "rolvex-preview: " << error.description() << '\n';
  } catch (const std::exception& failure) {
    std::cerr << "rolvex-preview: " << failure.what() << '\n';
  }
  return kPreviewNotRun;
}
