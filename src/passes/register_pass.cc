#include "passes/register_pass.h"

#include "passes/command_execution.h"
#include "passes/component_commands.h"
#include "passes/dated_copy.h"
#include "passes/pass_frame.h"
#include "passes/path_text.h"
#include "reporting/run_report.h"
#include "reporting/text_output.h"
#include "settings/language_texts.h"

namespace rolvex {
namespace {

void LogComponent(PassContext& context) {
  context.guard.run([&] {
    TextAusgabe(context.state,
                TextEinlesen(context.state, 18, context.location) + " " +
                    context.target_path,
                true, context.location);
  });
}

// Runs one command and records how it went. A registration that could not
// start or ended with an exit code other than 0 did not happen: the entry
// fails. Unregistering a component that was never registered may fail
// harmlessly, so its result is only recorded.
void RunCommand(PassContext& context, const std::string& command_line,
                bool registers) {
  const CommandResult result = ExecCmd(context.state, command_line);
  RunReport& report = context.state.run_report;
  report.AddCommand({command_line, result.started, result.exit_code});
  if (!registers) return;
  if (!result.started) {
    report.Fail(RunError(kErrFileNotFound,
                         "Could not be started: " + command_line, "ExecCmd"));
  } else if (result.exit_code && *result.exit_code != 0) {
    report.Fail(RunError(*result.exit_code,
                         "Ended with exit code " +
                             std::to_string(*result.exit_code) + ": " +
                             command_line,
                         "ExecCmd"));
  }
}

// Every file is a component, whatever its extension.
void InstallComponent(PassContext& context) {
  PassState& state = context.state;
  const std::string& target = context.target_path;
  state.run_report.SetAction(ReportAction::kRegistered);
  LogComponent(context);
  context.guard.run(
      [&] { RunCommand(context, UnregisterCommand(target), false); });
  context.guard.run([&] {
    DateiKopieren(state, context.source_path, target, true, true,
                  context.location);
  });
  LogComponent(context);
  context.guard.run(
      [&] { RunCommand(context, RegisterCommand(target), true); });
  context.guard.run([&] { state.window.DoEvents(); });
}

}  // namespace

void RegKopieren(PassState& state, const std::string& call_path) {
  RunPass(state, "Register", call_path + ".RegKopieren",
          {.folder = [](PassContext& c) { CreateMissingFolder(c, false); },
           .file = InstallComponent});
}

}  // namespace rolvex
