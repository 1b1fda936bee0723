#include "passes/pass_frame.h"

#include <utility>

#include "passes/file_tree.h"
#include "reporting/ask_operator.h"
#include "reporting/failure_text.h"
#include "reporting/progress_bar.h"
#include "reporting/run_report.h"
#include "reporting/text_output.h"
#include "settings/ersetze_environment.h"
#include "settings/language_texts.h"
#include "settings/target_path.h"

namespace rolvex {
namespace {

// The first "$Name$" that `path` still holds ("" when none): a folder of
// the pack named for a placeholder the PC does not know, usually misspelt.
std::string LeftPlaceholder(const std::string& path) {
  for (std::size_t a = path.find('$'); a != std::string::npos;) {
    const std::size_t b = path.find('$', a + 1);
    if (b == std::string::npos) break;
    const std::string name = path.substr(a + 1, b - a - 1);
    if (!name.empty() && name.find('\\') == std::string::npos) {
      return path.substr(a, b - a + 1);
    }
    a = b;
  }
  return "";
}

// Says once per name that a placeholder stayed unresolved; the run goes on
// and creates the folder as named, as it always has.
void WarnOfLeftPlaceholder(RunReport& report, const std::string& path) {
  const std::string name = LeftPlaceholder(path);
  if (name.empty()) return;
  const std::string head = name + " is no placeholder of this PC";
  for (const std::string& warning : report.warnings()) {
    if (warning.rfind(head, 0) == 0) return;
  }
  report.AddWarning(head + "; it stays in the target " + path);
}

// `text` resolved as TargetPath (settings/target_path.h) does it, each half
// a step of its own, so a failed resolution keeps the previous
// target_path and still gets the drive test.
void ResolveTargetPath(PassContext& context, const std::string& text) {
  context.guard.run([&] {
    context.target_path =
        ErsetzeEnvironment(context.state, text, context.location);
  });
  if (context.guard.test([&] { return !NamesDrive(context.target_path); })) {
    context.guard.run(
        [&] { context.target_path = kDefaultDrive + context.target_path; });
  }
  WarnOfLeftPlaceholder(context.state.run_report, context.target_path);
}

void SetBalkenVisible(PassContext& context, bool visible) {
  context.guard.run([&] {
    context.state.window.control(ControlId::kBalkenPicture).SetVisible(visible);
  });
}

void HandleEntry(PassContext& context, const std::string& tree_dir,
                 const PassHandlers& handlers) {
  const FileEntry& entry = context.entry();
  context.state.seal_refused = false;
  if (context.guard.test([&] { return context.EntryIsFolder(); })) {
    ResolveTargetPath(context, entry.relative_path);
    context.state.run_report.SetPlaces(tree_dir + "\\" + entry.relative_path,
                                       context.target_path);
    handlers.folder(context);
  } else {
    std::string relative_name;
    if (context.guard.test([&] { return !entry.relative_path.empty(); })) {
      context.guard.run([&] {
        context.source_path =
            tree_dir + "\\" + entry.relative_path + "\\" + entry.file_name;
      });
      relative_name = entry.relative_path + "\\" + entry.file_name;
    } else {
      context.guard.run(
          [&] { context.source_path = tree_dir + "\\" + entry.file_name; });
      relative_name = entry.file_name;
    }
    ResolveTargetPath(context, relative_name);
    context.state.run_report.SetPlaces(context.source_path,
                                       context.target_path);
    handlers.file(context);
  }
  // A killed run may have left a temporary in a folder where nothing needs
  // copying any more; this is the one place every such folder is met.
  if (context.EntryIsFolder()) {
    context.state.files.RemoveStaleTemporaries(context.target_path);
  } else if (const std::size_t slash = context.target_path.find_last_of('\\');
             slash != std::string::npos) {
    context.state.files.RemoveStaleTemporaries(
        context.target_path.substr(0, slash));
  }
  // Folders and files alike; for a folder this also clears hidden and system.
  if (context.state.seal_refused) return;
  context.guard.run(
      [&] { context.state.files.SetAttr(context.target_path, kAttrNormal); });
}

}  // namespace

PassContext::PassContext(PassState& state, std::string location)
    : state(state),
      location(std::move(location)),
      guard([this](const RunError& failure) {
        ReportPassError(*this, failure);
      }) {}

bool PassContext::EntryIsFolder() const {
  return (entry().attributes & kAttrDirectory) != 0;
}

void ReportPassError(PassContext& context, const RunError& failure) {
  PassState& state = context.state;
  std::string place = state.program_dir;
  if (context.index >= 1 && context.index <= state.file_count &&
      !context.EntryIsFolder()) {
    place += "\\" + context.entry().file_name;
  }
  const std::string text = FailureText(
      TextEinlesen(state, 14, context.location), failure, QuotedPlace(place));
  state.run_report.Fail(failure);
  TextAusgabe(state, text, false, context.location);
  AskOperator(state, text, kMbOk, "Error");
}

void CreateMissingFolder(PassContext& context, bool also_read_attributes) {
  PassState& state = context.state;
  const std::string& target = context.target_path;
  int folder_attributes = -1;
  if (also_read_attributes) {
    // Only to learn whether something is there: a failure means nothing is.
    try {
      folder_attributes = state.files.GetAttr(target);
    } catch (const std::exception&) {
      folder_attributes = -1;
    }
  }
  if (context.guard.test([&] {
        return state.files.Dir(target, kAttrDirectory).empty() &&
               folder_attributes == -1;
      })) {
    state.run_report.SetAction(ReportAction::kFolderCreated);
    context.guard.run([&] {
      TextAusgabe(state,
                  TextEinlesen(state, 16, context.location) + " " + target,
                  true, context.location);
    });
    if (context.guard.run([&] { state.files.MkDir(target); })) {
      state.run_report.NoteChanged();
    }
  }
}

void RunPass(PassState& state, const std::string& tree,
             const std::string& location, const PassHandlers& handlers) {
  const std::string tree_dir = state.program_dir + "\\" + tree;
  state.run_report.BeginPass(tree);
  EinlesenDateiBaum(state, tree_dir, location);

  PassContext context(state, location);
  context.guard.run([&] { state.window.DoEvents(); });
  SetBalkenVisible(context, true);
  if (context.guard.test([&] { return state.file_count > 0; })) {
    SetBalkenVisible(context, true);
    const int last = state.file_count;  // the bound is taken once
    for (context.index = 1; context.index <= last; ++context.index) {
      state.run_report.BeginEntry();
      // Many small files log only, and a log-only line processes no
      // events: without this the window would look hung for the length of
      // the pass.
      state.window.KeepResponsive();
      context.guard.run(
          [&] { Balken(state, context.index, state.file_count, location); });
      HandleEntry(context, tree_dir, handlers);
      state.run_report.EndEntry();
    }
    context.index = 0;
    SetBalkenVisible(context, false);
  }
  // What the pass copied reaches the disk together, once.
  state.files.Flush();
}

}  // namespace rolvex
