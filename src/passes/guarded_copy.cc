#include "passes/guarded_copy.h"

#include <cstdlib>
#include <optional>

#include "passes/path_text.h"
#include "passes/seal_verification.h"
#include "passes/step_guard.h"
#include "platform/run_error.h"
#include "reporting/ask_operator.h"
#include "reporting/failure_text.h"
#include "reporting/run_report.h"
#include "reporting/text_output.h"
#include "settings/ini_access.h"
#include "settings/language_texts.h"

namespace rolvex {
namespace {

constexpr char kCrLf[] = "\r\n";

// How one guarded operation words its failure. The texts are made only
// when one is needed: nearly every operation succeeds at once.
struct FailureWording {
  int text_nr;                // 14 for a copy, 30 for an attribute change
  const std::string* source;  // the file copied, or the file changed
  const std::string* target;  // the copy's target; null for a change
  const char* location_tail;  // ".ExFileCopy" or ".ExSetAttr"

  // The middle paragraph of the question.
  std::string Files() const {
    return target ? "'" + *source + "' -> '" + *target + "'"
                  : "'" + *source + "'";
  }
  // What follows the description in the log line: a copy's has a blank
  // before the quote, an attribute change's has none.
  std::string LogFiles() const { return target ? " " + Files() : Files(); }
};

// Runs `operation` until it succeeds (true), the operator ignores its
// failure (false) or aborts the run. Failures are retried silently while both
// budgets last; after that each failure is logged and put to the operator. The
// counters are not reset by Retry, so a failure after Retry goes straight to
// the question.
template <typename Operation>
bool RunWithRetries(PassState& state, const Operation& operation,
                    const FailureWording& wording,
                    const std::string& caller_path) {
  int retries = 0;
  for (;;) {
    std::optional<RunError> caught;
    try {
      operation();
      return true;
    } catch (const RunError& e) {
      if (state.seal_refused && e.number() == kErrFileCorrupt) throw;
      caught = e;
    } catch (const std::exception& e) {
      caught = AsRunError(e);
    }
    const RunError& failure = *caught;

    if (retries < kRetriesPerCall && state.auto_retry_count < kRetriesPerRun) {
      ++retries;
      ++state.auto_retry_count;
      state.clock.Sleep(kRetryPauseMs);
      continue;
    }

    const std::string location = caller_path + wording.location_tail;
    const std::string text = TextEinlesen(state, wording.text_nr, location);
    const std::string head = FailureHead(text, failure);
    TextAusgabe(state, FailureText(text, failure, wording.LogFiles()), true,
                location);
    const int answer =
        AskOperator(state,
                    head + kCrLf + kCrLf + wording.Files() + kCrLf + kCrLf +
                        "Source:" + failure.source(),
                    kMbAbortRetryIgnoreCritical, "");

    RunReport& report = state.run_report;
    if (answer == kAnswerAbort) {
      report.Fail(failure, ReportOutcome::kAborted);
      state.cancel_sp = true;
      // The latch is written with the caller's location, as the cancel
      // check at start-up reads it back.
      SaveIni(state, "True", "General", "CancelSP", kServicePackIni,
              caller_path);
      TextAusgabe(state, TextEinlesen(state, 29, location), true, location);
      state.window.EndProgram(kExitAborted);
      std::abort();  // EndProgram does not return
    }
    if (answer == kAnswerRetry) {
      report.NoteRetry();
      continue;
    }
    // Ignore (and any answer a window might give besides the three): the
    // operation is given up and the file stays as it is, which the run's exit
    // status has to show.
    report.Fail(failure, ReportOutcome::kIgnored);
    return false;
  }
}

// Stages a copy of the pack's file beside the target and records its
// replacement at the next restart: that is a rename, which cannot cross
// volumes (a pack on a USB stick or a second partition), and which would
// take the pack's own file away. Returns false, with the failure in
// `failure`, when nothing was recorded; `refused` tells that the facility
// itself said no (a false result, which the log does not show), rather
// than that the request could not be made at all.
bool ScheduleStagedCopy(PassState& state, const std::string& source_path,
                        const std::string& target_path,
                        std::optional<RunError>& failure, bool& refused) {
  std::string staged;
  try {
    staged = state.files.StageForRestart(source_path, target_path);
    if (state.restarts.ReplaceAtRestart(staged, target_path)) return true;
    // The facility gives no reason; the failure is named by the number of
    // a file that could not be reached.
    refused = true;
    failure = RunError::Of(kErrPathFileAccess);
  } catch (const RunError& caught) {
    failure = caught;
  } catch (const std::exception& caught) {
    failure = AsRunError(caught);
  }
  if (!staged.empty()) {
    // Nothing will ever take it in: it must not stay beside the target.
    try {
      state.files.Kill(staged);
    } catch (const std::exception&) {
    }
  }
  return false;
}

// The copy onto a system folder: one attempt, then the replacement at the
// next restart, for a file that Windows holds in use.
void CopyOrReplaceAtRestart(PassState& state, const std::string& source_path,
                            const std::string& target_path,
                            const std::string& location) {
  try {
    state.files.FileCopy(source_path, target_path);
    state.run_report.NoteChanged();
    return;
  } catch (const std::exception&) {
    // Not reported: the replacement below stands in for the copy.
  }
  TextAusgabe(state,
              TextEinlesen(state, 17, location) + " System32 " + source_path +
                  " -> " + target_path,
              true, location);
  RunReport& report = state.run_report;
  report.SetAction(ReportAction::kScheduledAtRestart);
  std::optional<RunError> failure;
  bool refused = false;
  if (ScheduleStagedCopy(state, source_path, target_path, failure, refused)) {
    report.NoteRestartRequired();
    report.NoteChanged();
    return;
  }
  // Neither copied nor scheduled: the exit status must not claim a
  // complete run.
  report.Fail(*failure);
  if (refused) return;
  TextAusgabe(state,
              "Fault MoveFileEx File:" + target_path + " Err.Nr." +
                  std::to_string(failure->number()) + " " +
                  failure->description(),
              true, location);
}

}  // namespace

void ExFileCopy(PassState& state, const std::string& source_path,
                const std::string& target_path, const std::string& call_path,
                const FileSystem::CopyAdmission* admit) {
  if (state.cancel_sp) return;
  if (AsciiUpperCase(target_path).find("SYSTEM32\\") != std::string::npos) {
    // The copy may turn into a staged one: the file is checked first.
    if (admit) VerifyAgainstSeal(state, source_path);
    CopyOrReplaceAtRestart(state, source_path, target_path,
                           call_path + ".ExFileCopy");
    return;
  }
  if (RunWithRetries(
          state,
          [&] {
            if (admit) {
              state.files.FileCopyAdmitted(source_path, target_path, *admit);
            } else {
              state.files.FileCopy(source_path, target_path);
            }
          },
          {14, &source_path, &target_path, ".ExFileCopy"}, call_path)) {
    state.run_report.NoteChanged();
  }
}

void ExSetAttr(PassState& state, const std::string& file_path,
               int new_attributes, const std::string& call_path) {
  if (state.cancel_sp) return;
  RunWithRetries(
      state, [&] { state.files.SetAttr(file_path, new_attributes); },
      {30, &file_path, nullptr, ".ExSetAttr"}, call_path);
}

}  // namespace rolvex
