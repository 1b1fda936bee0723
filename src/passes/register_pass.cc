#include "passes/register_pass.h"

#include "passes/command_execution.h"
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

// Starts one registration command; the report lists it.
void RunCommand(PassContext& context, const std::string& command_line) {
  context.state.run_report.AddCommand(command_line);
  ExecCmd(context.state, command_line);
}

// Every file is a component, whatever its extension. The path goes into the
// command line unquoted, as the registration tools have always received it.
void InstallComponent(PassContext& context) {
  PassState& state = context.state;
  const std::string& target = context.target_path;
  state.run_report.SetAction(ReportAction::kRegistered);
  LogComponent(context);
  if (context.guard.test([&] { return EndsWithUpper(target, ".EXE"); })) {
    context.guard.run([&] { RunCommand(context, target + " /unregserver"); });
  } else {
    context.guard.run([&] { RunCommand(context, "RegSvr32 /u /s " + target); });
  }
  context.guard.run([&] {
    DateiKopieren(state, context.source_path, target, true, true,
                  context.location);
  });
  LogComponent(context);
  if (context.guard.test([&] { return EndsWithUpper(target, ".EXE"); })) {
    context.guard.run([&] { RunCommand(context, target + " /regserver"); });
  } else {
    context.guard.run([&] { RunCommand(context, "RegSvr32 /s " + target); });
  }
  context.guard.run([&] { state.window.DoEvents(); });
}

}  // namespace

void RegKopieren(PassState& state, const std::string& call_path) {
  RunPass(state, "Register", call_path + ".RegKopieren",
          {.folder = [](PassContext& c) { CreateMissingFolder(c, false); },
           .file = InstallComponent});
}

}  // namespace rolvex
