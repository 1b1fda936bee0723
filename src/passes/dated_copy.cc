#include "passes/dated_copy.h"

#include <optional>

#include "passes/guarded_copy.h"
#include "passes/seal_verification.h"
#include "passes/step_guard.h"
#include "platform/run_error.h"
#include "reporting/ask_operator.h"
#include "reporting/failure_text.h"
#include "reporting/run_report.h"
#include "reporting/text_output.h"
#include "settings/language_texts.h"

namespace rolvex {
namespace {

// What the file-system object's GetFile hands back: a file that exists (a
// folder is no file). DateLastModified is read from it when asked, so an
// object of a file that vanishes meanwhile fails then. It names the path
// given, which outlives it.
struct FileObject {
  const std::string* path;
};

FileObject GetFile(FileSystem& files, const std::string& path) {
  if (files.GetAttr(path) & kAttrDirectory) {
    throw RunError::Of(kErrFileNotFound);
  }
  return FileObject{&path};
}

// Reading a property of an empty holder fails as an unset object does.
FileTime DateLastModified(FileSystem& files,
                          const std::optional<FileObject>& holder) {
  if (!holder) {
    throw RunError(91, "Object variable or With block variable not set");
  }
  return files.DateLastModified(*holder->path);
}

}  // namespace

std::string FormatTimeStamp(PassState& state, FileTime time) {
  if (time == kZeroDateTime) return "00:00:00";
  return state.clock.FormatLocal(time);
}

void DateiKopieren(PassState& state, const std::string& source_path,
                   const std::string& target_path, bool replace_if_newer,
                   bool report, const std::string& call_path) {
  const std::string location = call_path + ".DateiKopieren";
  StepGuard guard([&](const RunError& failure) {
    state.run_report.Fail(failure);
    TextAusgabe(state,
                FailureText(TextEinlesen(state, 14, location), failure,
                            QuotedPlace(source_path) + " ->" +
                                QuotedPlace(target_path)),
                false, location);
  });

  bool target_exists = false;
  bool source_newer = false;
  FileTime source_time = kZeroDateTime;
  FileTime target_time = kZeroDateTime;
  // One holder for both files: when GetFile of the target fails, the holder
  // still has the source, and the target's time stamp becomes the source's
  // (equal, so the target is kept). A target whose time cannot be read is
  // thus never replaced by a guess.
  std::optional<FileObject> holder;

  // Mask 15: hidden and system sources count, a folder of that name does not.
  // A source test that fails counts as a present source.
  if (!guard.test([&] { return !state.files.Dir(source_path, 15).empty(); })) {
    if (report) {
      state.run_report.Fail(RunError::Of(kErrFileNotFound));
      guard.run([&] {
        AskOperator(state, "'" + source_path + "' nicht vorhanden", kMbOk, "");
      });
    }
    return;
  }

  guard.run([&] { holder = GetFile(state.files, source_path); });
  guard.run([&] { source_time = DateLastModified(state.files, holder); });

  // Mask 31: a folder of the target's name counts as a present target.
  if (guard.test([&] { return !state.files.Dir(target_path, 31).empty(); })) {
    target_exists = true;
    // The plain call, not ExSetAttr: a target that will be kept is cleared
    // too, and its failure is reported here, without retries.
    guard.run([&] { state.files.SetAttr(target_path, kAttrNormal); });
    guard.run([&] { holder = GetFile(state.files, target_path); });
    guard.run([&] { target_time = DateLastModified(state.files, holder); });
  }

  if (guard.test([&] { return target_exists && source_time > target_time; })) {
    source_newer = true;
  }

  // The lines of "replaced" and "kept" carry both times and two blanks before
  // "->"; the line of "new" has one blank and no target time.
  // The decision as the report records it: a time stamp that could not be
  // read is left out.
  const auto record = [&](ReportAction action, bool with_target_time) {
    const auto known = [](FileTime time) {
      return time == kZeroDateTime ? std::nullopt
                                   : std::optional<FileTime>(time);
    };
    state.run_report.SetAction(action);
    state.run_report.SetTimes(known(source_time), with_target_time
                                                      ? known(target_time)
                                                      : std::nullopt);
  };
  const auto log_line = [&](int text_nr, bool with_target_time) {
    if (!report) return;
    guard.run([&] {
      const std::string text = TextEinlesen(state, text_nr, location);
      const std::string source_stamp = FormatTimeStamp(state, source_time);
      std::string line;
      line.reserve(text.size() + source_path.size() + target_path.size() + 64);
      line.append(text).append(" ").append(source_path).append(" ");
      line.append(source_stamp);
      if (with_target_time) {
        line.append("  -> ").append(target_path).append(" ");
        line.append(FormatTimeStamp(state, target_time));
      } else {
        line.append(" -> ").append(target_path);
      }
      TextAusgabe(state, line, true, location);
    });
  };

  // Only a file about to be installed is held against the pack's seal, and
  // its digest is taken while it is copied. One that is refused is logged as
  // a failed copy is, and the PC's file is not replaced.
  std::optional<FileSystem::CopyAdmission> admission;
  const auto listed = [&] {
    return guard.run([&] { admission = SealAdmission(state, source_path); });
  };
  const auto copy = [&] {
    const bool copied = guard.run([&] {
      ExFileCopy(state, source_path, target_path, location,
                 admission ? &*admission : nullptr);
    });
    return copied || !state.seal_refused;
  };
  if (guard.test([&] { return !target_exists; })) {
    record(ReportAction::kNew, false);
    log_line(17, false);
    if (!listed() || !copy()) return;
    guard.run([&] { ExSetAttr(state, target_path, kAttrNormal, location); });
  } else if (guard.test([&] {
               return (source_newer && replace_if_newer) ||
                      state.all_data_equal;
             })) {
    record(ReportAction::kReplaced, true);
    log_line(17, true);
    if (!listed()) return;
    guard.run([&] { ExSetAttr(state, target_path, kAttrNormal, location); });
    if (!copy()) return;
    guard.run([&] { ExSetAttr(state, target_path, kAttrNormal, location); });
  } else {
    record(ReportAction::kKept, true);
    log_line(28, true);
  }

  guard.run([&] { ExSetAttr(state, target_path, kAttrNormal, location); });
}

}  // namespace rolvex
