#include "shell/installation.h"

#include <cstdlib>

#include "passes/command_execution.h"
#include "passes/ini_pass.h"
#include "passes/register_pass.h"
#include "passes/seal_verification.h"
#include "passes/standard_pass.h"
#include "passes/step_guard.h"
#include "platform/run_error.h"
#include "reporting/failure_text.h"
#include "reporting/run_report.h"
#include "reporting/text_output.h"
#include "settings/ersetze_environment.h"
#include "settings/language_texts.h"

namespace rolvex {
namespace {

using Pass = void (*)(PassState&, const std::string&);

// The report of a failed listing (or of an unreadable seal), in the form of
// a pass's own reports with the tree (or the seal) as the place: logged and
// shown.
void ReportListingFailure(Installer& installer, const RunError& error,
                          const std::string& tree, const std::string& location,
                          std::optional<ReportSeal> seal = std::nullopt) {
  RunReport& report = installer.run_report;
  report.BeginEntry();
  report.SetPlaces(installer.program_dir + "\\" + tree, "");
  if (seal) report.NoteSeal(std::move(*seal));
  report.Fail(error);
  report.EndEntry();
  TextAusgabe(installer,
              FailureText(TextEinlesen(installer, 14, location), error,
                          QuotedPlace(installer.program_dir + "\\" + tree)),
              false, location);
}

// Announces a pass with language text `text_nr` and runs it. A pass handles
// the failures of its own steps; only a failure while it lists its tree (a
// tree of more than 32000 entries, an entry that vanished, an unreadable
// folder) comes back here. That pass has installed nothing yet, so the run
// reports it like a failed step, with the tree as the place, and goes on with
// the next pass: the other trees are independent of it.
void AnnounceAndRun(Installer& installer, int text_nr, Pass pass,
                    const std::string& tree, const std::string& location) {
  TextAusgabe(installer, TextEinlesen(installer, text_nr, location), false,
              location);
  try {
    pass(installer, location);
  } catch (const RunError& error) {
    ReportListingFailure(installer, error, tree, location);
  } catch (const std::exception& error) {
    ReportListingFailure(installer, AsRunError(error), tree, location);
  }
}

// Read from the record, as the report's outcomes are, so that the two
// cannot disagree. Failures win over a pending restart: a rollout that sees
// 3010 restarts the machine and takes the run for a success, so a failure
// must not hide behind it.
int RunExitStatus(const Installer& installer) {
  if (installer.run_report.failed()) return kExitCompletedWithFailures;
  if (installer.run_report.restart_required()) return kExitRestartScheduled;
  return kExitCompleted;
}

}  // namespace

void Taste_Click(Installer& installer, int index) {
  if (index == 0) {
    // The start button stays enabled during a run; a second click arrives
    // inside the run's own event processing and must not start a run within
    // the run.
    if (installer.run_in_progress) return;
    Installation(installer, "Taste_Click");
  } else if (index == 1) {
    installer.window.EndProgram(kExitByExitButton);
  }
}

void Installation(Installer& installer, const std::string& call_path) {
  const std::string location = call_path + ".Installation";
  installer.run_in_progress = true;
  // A log-off or shutdown now would cut the run off between two files; the
  // run always ends the program, so the hold ends with it.
  installer.window.SetRunInProgress(true);

  installer.window.DoEvents();
  // A seal that cannot be read vouches for nothing: no file of the pack is
  // installed, and the run reports that one failure.
  if (std::optional<RunError> unreadable = LoadPackSeal(installer)) {
    ReportListingFailure(installer, *unreadable, kSealFileName, location,
                         ReportSeal{.state = "unreadable"});
    installer.window.EndProgram(RunExitStatus(installer));
    std::abort();
  }
  AnnounceAndRun(installer, 1, StandardKopieren, "Standard", location);
  AnnounceAndRun(installer, 2, RegKopieren, "Register", location);
  AnnounceAndRun(installer, 3, IniKopieren, "Ini", location);

  if (installer.vw_studio) {
    ExecCmd(installer,
            "RegSvr32 /s " +
                ErsetzeEnvironment(installer, "$VisiWinDir$", location) +
                "\\VisiWinStudio\\System\\VWSTool.dll");
  }
  installer.window.EndProgram(RunExitStatus(installer));
  // EndProgram does not return; the compiler cannot see that through the
  // virtual call.
  std::abort();
}

}  // namespace rolvex
