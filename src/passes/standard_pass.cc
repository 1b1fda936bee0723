#include "passes/standard_pass.h"

#include "passes/dated_copy.h"
#include "passes/pass_frame.h"
#include "passes/path_text.h"
#include "passes/seal_verification.h"
#include "reporting/run_report.h"

namespace rolvex {
namespace {

void InstallFile(PassContext& context) {
  PassState& state = context.state;
  const std::string& target = context.target_path;
  // A font is always replaced: the old file goes first, so the dated copy
  // finds no target. A hidden or system font is not found with mask 0 and
  // goes through the date check instead.
  if (context.guard.test([&] { return EndsWithUpper(target, ".TTF"); })) {
    if (context.guard.test(
            [&] { return !state.files.Dir(target, kAttrNormal).empty(); })) {
      // The old font goes only for a new one that is intact.
      if (!context.guard.run(
              [&] { VerifyAgainstSeal(state, context.source_path); })) {
        return;
      }
      if (context.guard.run([&] { state.files.Kill(target); })) {
        state.run_report.NoteFontDeleted();
        state.run_report.NoteChanged();
      }
    }
  }
  context.guard.run([&] {
    DateiKopieren(state, context.source_path, target, true, true,
                  context.location);
  });
}

}  // namespace

void StandardKopieren(PassState& state, const std::string& call_path) {
  RunPass(state, "Standard", call_path + ".StandardKopieren",
          {.folder = [](PassContext& c) { CreateMissingFolder(c, true); },
           .file = InstallFile});
}

}  // namespace rolvex
