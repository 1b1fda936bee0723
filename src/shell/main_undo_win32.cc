// RolvexUndo.exe: puts the PC back as it was before the runs journaled in a
// backup folder (undo/undo_tool.h), over the Win32 parts, or over the
// dry-run parts with --preview. A console program that asks nothing; it
// takes the machine's run lock as Rolvex.exe does, and runs with the
// administrator's rights Rolvex.exe had, since it puts back what that
// changed.
#include <ctime>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/exit_status.h"
#include "platform/whole_file.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_probe.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_process_runner.h"
#include "platform/win32/win32_profile_store.h"
#include "platform/win32/win32_restart_scheduler.h"
#include "platform/win32/win32_run_lock.h"
#include "rolvex_version.h"
#include "undo/undo_tool.h"

// CommandLineToArgvW, which the lean <windows.h> leaves out.
#include <shellapi.h>

namespace {

// The arguments in the PC's code page, as the installer's paths are.
std::string Narrow(const wchar_t* wide) {
  const int size =
      WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, nullptr, nullptr);
  text.pop_back();
  return text;
}

}  // namespace

int main() {
  using namespace rolvex;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv != nullptr && i < argc; ++i) {
    args.push_back(Narrow(argv[i]));
  }
  if (argv != nullptr) LocalFree(argv);
  std::optional<UndoArguments> arguments = ParseUndoArguments(args, std::cerr);
  if (!arguments) return 2;
  Win32RunLock run_lock;
  if (!run_lock.Claim()) {
    std::cerr << "RolvexUndo: another run is in progress\n";
    return kExitAnotherRun;
  }
  try {
    Win32FileSystem files;
    Win32ProfileStore profiles;
    Win32ProcessRunner processes;
    Win32RestartScheduler restarts;
    Win32Environment environment;
    Win32Clock clock;
    const Win32CodePage code_page;
    const UndoReporting reporting{
        .report_path = environment.Get("ROLVEX_REPORT"),
        .facts = {environment.ComputerName(), ROLVEX_VERSION_TEXT,
                  sizeof(void*) == 4 ? "x86" : "x64"},
        .code_page = code_page,
        .write = WriteWholeFile,
        .now = [] { return static_cast<std::int64_t>(std::time(nullptr)); },
    };
    Win32FileProbe probe;
    return RunUndoOrPreview(*arguments,
                            {files, profiles, processes, restarts, clock},
                            probe, reporting, std::cout, std::cerr);
  } catch (const std::exception& failure) {
    std::cerr << "RolvexUndo: " << failure.what() << '\n';
  }
  return 1;
}
