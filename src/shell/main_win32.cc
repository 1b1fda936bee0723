// Rolvex.exe: the Win32 parts, the installer over them, and the window's
// message loop. Loading the window is the start of the program (Form_Load);
// in the unattended modes the installation runs inside it and ends the
// program there, in the interactive mode the loop waits for the buttons.
//
// ROLVEX_REPORT names a file: the run report (JSON) is written there when
// the program ends. Unset, no report is kept. ROLVEX_UNATTENDED=1: nobody is
// there to answer a message box. While another run holds the machine the
// program ends at once with 1618, having changed nothing. ROLVEX_BACKUP
// names a folder (a Windows path): the run keeps a backup journal of every
// change there (platform/journal/journal.h), which RolvexUndo.exe takes
// back.
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "platform/exit_status.h"
#include "platform/journal/journaling_parts.h"
#include "platform/whole_file.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_process_runner.h"
#include "platform/win32/win32_profile_store.h"
#include "platform/win32/win32_restart_scheduler.h"
#include "platform/win32/win32_run_lock.h"
#include "platform/win32/win32_window.h"
#include "reporting/report_at_end.h"
#include "reporting/run_report.h"
#include "rolvex_version.h"
#include "shell/installer.h"
#include "shell/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace rolvex;
  // Before anything is read or written: a second run changes nothing.
  Win32RunLock run_lock;
  if (!run_lock.Claim()) return kExitAnotherRun;
  Win32FileSystem files;
  Win32ProfileStore profiles;
  Win32Environment environment;
  Win32ProcessRunner processes;
  Win32RestartScheduler restarts;
  Win32Clock clock;
  Win32Window window(instance);
  const Win32CodePage code_page;
  const RunFacts facts{environment.ComputerName(), ROLVEX_VERSION_TEXT,
                       sizeof(void*) == 4 ? "x86" : "x64"};
  ReportAtEnd at_end(environment.Get("ROLVEX_REPORT"), facts, code_page,
                     profiles, window, WriteWholeFile, std::cerr);
  ReportingWindow reporting_window(window, at_end);
  // With a backup folder, the parts that change the PC keep a journal.
  const std::string backup_folder = environment.Get("ROLVEX_BACKUP");
  Journal journal(files, backup_folder, SecondsNow);
  JournalingFileSystem journaling_files(files, journal);
  JournalingProfileStore journaling_profiles(profiles, journal);
  JournalingProcessRunner journaling_processes(processes, journal);
  JournalingRestartScheduler journaling_restarts(restarts, journal);
  const bool backup = !backup_folder.empty();
  Installer installer(PlatformParts{
      backup ? static_cast<FileSystem&>(journaling_files) : files,
      backup ? static_cast<ProfileStore&>(journaling_profiles) : profiles,
      environment,
      backup ? static_cast<ProcessRunner&>(journaling_processes) : processes,
      backup ? static_cast<RestartScheduler&>(journaling_restarts) : restarts,
      reporting_window, clock, code_page});
  at_end.Attach(installer.run_report);
  if (backup) {
    journal.SetPack(window.ProgramDirectory());
    at_end.SetBeforeEnd([&journal](int exit_status, RunReportEnd& end) {
      journal.Close(exit_status);
      end.backup_folder = journal.folder();
      end.backup_bytes = journal.bytes();
    });
  }
  // The report says at once that a run has begun.
  at_end.WriteRunning();
  try {
    Form_Load(installer);
  } catch (const std::exception& failure) {
    at_end.Write(kExitFailure);
    window.EndWithFailure(failure);
  }

  // Interactive mode: the buttons end the program (EndProgram does not
  // return). The loop ends by itself only when the window has gone some
  // other way, which counts as leaving without a run.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) window.Dispatch(message);
  at_end.Write(kExitByExitButton);
  return kExitByExitButton;
}
