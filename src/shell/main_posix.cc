// The Linux program rolvex: builds the POSIX platform parts over the drive
// model, chooses the window, and runs the window's load event.
//
// Environment:
//   ROLVEX_PREFIX    the prefix folder that holds the drives (drive model;
//                    default ~/.local/share/rolvex, see posix_prefix_owner.h)
//   ROLVEX_UI        "console" for the terminal window, "qt" for the Qt
//                    window; otherwise Qt when $DISPLAY or $WAYLAND_DISPLAY
//                    is set, else the console. When Qt cannot reach the
//                    display, the program starts over in the console.
//   ROLVEX_SCREEN    WIDTHxHEIGHT, the console's screen in pixels (default
//                    1024x768 at 15 twips a pixel)
//   ROLVEX_HOLD_MS   Qt only: the window stays this long (still painting)
//                    before the program ends, for screenshots of the
//                    unattended modes
//   ROLVEX_REPORT    a file: the run report (JSON) is written there when
//                    the program ends; unset, no report is kept
//   ROLVEX_UNATTENDED  "1": nobody is there to answer a message box (see
//                    reporting/ask_operator.h)
//   ROLVEX_BACKUP    a host folder: the run keeps a backup journal of every
//                    change there (platform/journal/journal.h), which
//                    rolvex-undo takes back; unset, nothing is kept
//
// ProgramDir is the folder of the path the program was started by, so that
// a link in a service pack's folder to a program kept elsewhere finds the
// pack's texts beside the link.
//
// The command line is the process's arguments after the program's own name,
// joined with single blanks. The shell has already removed its quoting, so
// `rolvex "1 2"` and `rolvex 1 2` both read "1 2"; quotation marks reach the
// installer only when they were escaped for the shell.
//
// The exit status is set where the program ends (Window::EndProgram); an
// unexpected failure that escapes start-up or the window is reported on
// standard error and ends the program with status 1. While another run
// holds the prefix the program ends at once with 1618 (82 after the 8-bit
// cut), having changed nothing.
//
// Run by root over a prefix another user owns, the program becomes that
// user before it touches the prefix (posix_prefix_owner.h); when it cannot,
// it ends with status 2 and one line on standard error, having changed
// nothing.
#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "platform/console/console_window.h"
#include "platform/exit_status.h"
#include "platform/journal/journaling_parts.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_code_page.h"
#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_prefix_owner.h"
#include "platform/posix/posix_process_runner.h"
#include "platform/posix/posix_profile_store.h"
#include "platform/posix/posix_program_folder.h"
#include "platform/posix/posix_restart_scheduler.h"
#include "platform/posix/posix_run_lock.h"
#include "platform/posix/posix_signals.h"
#include "platform/run_error.h"
#include "platform/whole_file.h"
#include "reporting/report_at_end.h"
#include "reporting/run_report.h"
#include "rolvex_version.h"
#include "shell/installer.h"
#include "shell/startup.h"

// Built with ROLVEX_WITH_QT off, the program has the console window only.
#ifndef ROLVEX_CONSOLE_ONLY
#include <QApplication>

#include "platform/qt/qt_window.h"
#endif

namespace rolvex {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// ProgramDir: the folder the program was started from, as a Windows path.
// Started by a bare name found on PATH, the program's own folder.
std::string ProgramDirOf(const DriveModel& drives, int argc, char** argv) {
  char current[PATH_MAX];
  const std::string folder =
      StartedProgramFolder(argc > 0 && argv[0] ? argv[0] : "",
                           getcwd(current, sizeof current) ? current : "");
  return folder.empty() ? drives.ProgramDir() : drives.ToWindows(folder);
}

std::string JoinArguments(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

[[maybe_unused]] bool WantsConsole() {
  const std::string ui = Env("ROLVEX_UI");
  if (ui == "console") return true;
  if (ui == "qt") return false;
  return Env("DISPLAY").empty() && Env("WAYLAND_DISPLAY").empty();
}

// "WIDTHxHEIGHT" with both at least 1; anything else leaves the default.
void ReadScreen(const std::string& text, ConsoleWindowOptions& options) {
  int width = 0, height = 0;
  char x = 0, rest = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &width, &x, &height, &rest) == 3 &&
      (x == 'x' || x == 'X') && width > 0 && height > 0 && width < 32768 &&
      height < 32768) {
    options.screen_width_px = width;
    options.screen_height_px = height;
  } else if (!text.empty()) {
    std::cerr << "rolvex: ROLVEX_SCREEN \"" << text
              << "\" is not WIDTHxHEIGHT; using 1024x768\n";
  }
}

[[maybe_unused]] int ReadHoldMs() {
  const int ms = std::atoi(Env("ROLVEX_HOLD_MS").c_str());
  return ms > 0 && ms <= 600000 ? ms : 0;
}

void ReportFailure(const std::exception& failure) {
  if (const auto* error = dynamic_cast<const RunError*>(&failure)) {
    std::cerr << "rolvex: run-time error " << error->number() << ": "
              << error->description() << " (" << error->source() << ")\n";
  } else {
    std::cerr << "rolvex: " << failure.what() << '\n';
  }
}

// The POSIX platform parts over one drive model.
struct PosixParts {
  explicit PosixParts(const DriveModel& drives)
      : files(drives), profiles(drives), processes(drives), restarts(drives) {}
  PosixFileSystem files;
  PosixProfileStore profiles;
  PosixEnvironment environment;
  PosixProcessRunner processes;
  PosixRestartScheduler restarts;
  PosixClock clock;
  const CodePage& code_page = CodePageOfEnvironment("rolvex");
};

// With ROLVEX_BACKUP, the parts that change the PC keep a journal.
struct Backup {
  Backup(PosixParts& parts, const DriveModel& drives)
      : drives(drives),
        folder(Env("ROLVEX_BACKUP")),
        journal(parts.files, folder.empty() ? "" : drives.ToWindows(folder),
                SecondsNow),
        files(parts.files, journal),
        profiles(parts.profiles, journal),
        processes(parts.processes, journal),
        restarts(parts.restarts, journal) {}
  const DriveModel& drives;
  std::string folder;
  Journal journal;
  JournalingFileSystem files;
  JournalingProfileStore profiles;
  JournalingProcessRunner processes;
  JournalingRestartScheduler restarts;
};
Backup* g_backup = nullptr;

PlatformParts With(PosixParts& parts, Window& window) {
  if (g_backup != nullptr) {
    return PlatformParts{g_backup->files,    g_backup->profiles,
                         parts.environment,  g_backup->processes,
                         g_backup->restarts, window,
                         parts.clock,        parts.code_page};
  }
  return PlatformParts{parts.files,     parts.profiles, parts.environment,
                       parts.processes, parts.restarts, window,
                       parts.clock,     parts.code_page};
}

// The run report, kept only when ROLVEX_REPORT names a file; the program's
// window ends through `window`, which writes it first.
struct Reporting {
  Reporting(PosixParts& parts, Window& inner)
      : at_end(Env("ROLVEX_REPORT"),
               {parts.environment.ComputerName(), ROLVEX_VERSION_TEXT, "linux"},
               parts.code_page, parts.profiles, inner, WriteWholeFile,
               std::cerr),
        window(inner, at_end) {}
  // The report says at once that a run has begun.
  void Attach(Installer& installer) {
    at_end.Attach(installer.run_report);
    if (g_backup != nullptr) {
      g_backup->journal.SetPack(installer.window.ProgramDirectory());
      at_end.SetBeforeEnd([](int exit_status, RunReportEnd& end) {
        g_backup->journal.Close(exit_status);
        const std::string& folder = g_backup->journal.folder();
        end.backup_folder =
            folder.empty() ? "" : g_backup->drives.ToHost(folder);
        end.backup_bytes = g_backup->journal.bytes();
      });
    }
    at_end.WriteRunning();
  }
  ReportAtEnd at_end;
  ReportingWindow window;
};

// The load event; returns only in the interactive mode, with the window
// waiting for its buttons.
void Load(Installer& installer) {
  try {
    Form_Load(installer);
  } catch (const std::exception& failure) {
    ReportFailure(failure);
    installer.window.EndProgram(kExitFailure);
  }
}

// Nothing here returns: the program ends inside Window::EndProgram, so the
// objects below live until the process is gone.
[[noreturn]] void RunConsole(PosixParts& parts, const std::string& command_line,
                             const std::string& program_dir) {
  ConsoleWindowOptions options;
  options.command_line = command_line;
  options.program_directory = program_dir;
  options.hold_session = HoldSession;
  options.session_ended = SessionEnded;
  ReadScreen(Env("ROLVEX_SCREEN"), options);
  ConsoleWindow console(std::cin, std::cout, options, parts.code_page);
  Reporting reporting(parts, console);
  Installer installer(With(parts, reporting.window));
  reporting.Attach(installer);
  Load(installer);
  try {
    console.RunUntilExit();
  } catch (const std::exception& failure) {
    ReportFailure(failure);
    reporting.window.EndProgram(kExitFailure);
  }
}

#ifndef ROLVEX_CONSOLE_ONLY
// The process's own arguments, to start over in the console.
char** g_argv = nullptr;
bool g_making_application = false;
QtMessageHandler g_default_handler = nullptr;

// Qt ends the process when no display can be reached (a stale $DISPLAY).
// While the QApplication is being made nothing of the installer has run yet,
// so the program starts over in the console window instead of dying.
void OnQtMessage(QtMsgType type, const QMessageLogContext& context,
                 const QString& message) {
  if (type == QtFatalMsg && g_making_application && g_argv) {
    std::cerr << "rolvex: " << message.toLocal8Bit().constData()
              << "\nrolvex: no display; going on in the console\n";
    std::fflush(nullptr);
    setenv("ROLVEX_UI", "console", 1);
    execv("/proc/self/exe", g_argv);
  }
  g_default_handler(type, context, message);
}

[[noreturn]] void RunQt(PosixParts& parts, const char* program,
                        const std::string& command_line,
                        const std::string& program_dir) {
  // Qt sees only the program's name: the installer's arguments (a mode "1",
  // or anything an operator typed) are never taken as Qt options.
  int qt_argc = 1;
  char* qt_argv[] = {const_cast<char*>(program), nullptr};
  g_default_handler = qInstallMessageHandler(OnQtMessage);
  g_making_application = true;
  QApplication app(qt_argc, qt_argv);
  g_making_application = false;
  QtWindowOptions options;
  options.command_line = command_line;
  options.program_directory = program_dir;
  options.hold_session = HoldSession;
  options.session_ended = SessionEnded;
  options.hold_before_end_ms = ReadHoldMs();
  QtWindow qt_window(options);
  Reporting reporting(parts, qt_window);
  Installer installer(With(parts, reporting.window));
  reporting.Attach(installer);
  Load(installer);
  app.exec();
  // The window is closed only through the exit button's click, which ends
  // the program; should the event loop end otherwise, it ends as that button.
  reporting.window.EndProgram(kExitByExitButton);
}
#endif

}  // namespace
}  // namespace rolvex

int main(int argc, char** argv) {
  using namespace rolvex;
  SurviveClosedOutput();
  NoteEndOfSession();
  const std::string command_line = JoinArguments(argc, argv);
  try {
    // Root over a user's prefix acts as that user before anything of the
    // prefix is read or written (posix_prefix_owner.h).
    if (const std::string problem = ActAsPrefixOwner(PrefixFromEnvironment());
        !problem.empty()) {
      std::cerr << "rolvex: " << problem << '\n';
      return kExitNotAsOwner;
    }
    const DriveModel drives = DriveModel::FromEnvironment();
    // Before anything is read or written: a second run changes nothing.
    PosixRunLock run_lock(drives.prefix());
    if (!run_lock.Claim()) {
      std::cerr << "rolvex: another run is in progress on this prefix\n";
      return kExitAnotherRun;
    }
    PosixParts parts(drives);
    std::optional<Backup> backup;
    if (!Env("ROLVEX_BACKUP").empty()) {
      backup.emplace(parts, drives);
      g_backup = &*backup;
    }
    const std::string program_dir = ProgramDirOf(drives, argc, argv);
#ifdef ROLVEX_CONSOLE_ONLY
    RunConsole(parts, command_line, program_dir);
#else
    if (WantsConsole()) RunConsole(parts, command_line, program_dir);
    g_argv = argv;
    RunQt(parts, argc > 0 ? argv[0] : "rolvex", command_line, program_dir);
#endif
  } catch (const std::exception& failure) {
    ReportFailure(failure);
    std::fflush(nullptr);
    return kExitFailure;
  }
}
