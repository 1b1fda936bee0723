// RolvexPreview.exe: what "Rolvex.exe 2" started from FOLDER would do on this
// PC, shown on the console without changing anything. The real start-up and
// installation run over dry-run parts on the Win32 backends; see
// shell/preview.h for the output and the exit statuses (2: the preview could
// not run, for a bad command line, a missing FOLDER or a report that cannot
// be written). With --json FILE the plan is also written to FILE in the run
// report's format; that file is the only one the preview writes.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/run_error.h"
#include "platform/whole_file.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_command_line.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_probe.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_process_runner.h"
#include "platform/win32/win32_profile_store.h"
#include "reporting/run_report_json.h"
#include "rolvex_version.h"
#include "shell/preview.h"

namespace rolvex {
namespace {

// FOLDER as a full path without trailing backslash (but "C:\" for a root),
// the form the installer's ProgramDir has; "" when it is no folder.
std::string FullFolder(const std::string& folder) {
  char buffer[MAX_PATH * 4];
  const DWORD n =
      GetFullPathNameA(folder.c_str(), sizeof buffer, buffer, nullptr);
  if (n == 0 || n >= sizeof buffer) return "";
  std::string full(buffer, n);
  while (full.size() > 3 && full.back() == '\\') full.pop_back();
  const DWORD attributes = GetFileAttributesA(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return "";
  }
  return full;
}

int Preview(const PreviewArguments& arguments) {
  std::string program_dir = RunningProgramFolder();
  if (!arguments.folder.empty()) {
    program_dir = FullFolder(arguments.folder);
    if (program_dir.empty()) {
      std::cerr << "RolvexPreview: no folder " << arguments.folder << '\n';
      return kPreviewNotRun;
    }
  }
  Win32FileSystem files;
  Win32ProfileStore profiles;
  Win32Environment environment;
  Win32Clock clock;
  Win32FileProbe probe;
  Win32ProcessRunner processes;
  const Win32CodePage code_page;
  if (const std::string not_a_pack = NotAServicePack(files, program_dir);
      !not_a_pack.empty()) {
    std::cerr << "RolvexPreview: " << not_a_pack << '\n';
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
                    {environment.ComputerName(), ROLVEX_VERSION_TEXT,
                     sizeof(void*) == 4 ? "x86" : "x64"},
                    code_page));
    if (!problem.empty()) {
      std::cerr << "RolvexPreview: report not written: " << problem << '\n';
      return kPreviewNotRun;
    }
  }
  return outcome.exit_status;
}

}  // namespace
}  // namespace rolvex

int main(int argc, char** argv) {
  using namespace rolvex;
  const PreviewArguments arguments =
      ParsePreviewArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (arguments.help || !arguments.error.empty()) {
    if (!arguments.error.empty()) {
      std::cerr << "RolvexPreview: " << arguments.error << '\n';
    }
    (arguments.help ? std::cout : std::cerr) << kPreviewUsage;
    return arguments.help ? 0 : kPreviewNotRun;
  }
  try {
    return Preview(arguments);
  } catch (const RunError& error) {
    std::cerr << "RolvexPreview: " << error.description() << '\n';
  } catch (const std::exception& failure) {
    std::cerr << "RolvexPreview: " << failure.what() << '\n';
  }
  return kPreviewNotRun;
}
