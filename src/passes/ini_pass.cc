#include "passes/ini_pass.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "passes/ini_merge.h"
#include "passes/pass_frame.h"
#include "passes/seal_verification.h"
#include "platform/profile_store.h"
#include "reporting/run_report.h"
#include "reporting/text_output.h"
#include "settings/ini_access.h"
#include "settings/language_texts.h"

namespace rolvex {
namespace {

// The record of one entry written, with the value it replaces.
void RecordEntry(PassContext& context, const IniMergeState& merge) {
  // A default no ini file holds in practice (the store keeps it as it is:
  // it has no trailing blanks): the key is missing.
  const std::string kMissing = "\x01missing\x01";
  std::string old_value = context.state.profiles.GetString(
      merge.section, merge.key, kMissing, 32767, context.target_path);
  context.state.run_report.AddIniValue(
      {.section = merge.section,
       .key = merge.key,
       .old_value = old_value == kMissing ? std::nullopt
                                          : std::optional(std::move(old_value)),
       .value = merge.value});
}

// An entry the ini file did not take (read-only, locked, disk full): the
// store does not say why.
RunError RefusedWrite() { return RunError::Of(kErrPathFileAccess); }

// Writes one entry; true when the store took it.
bool WriteEntry(PassContext& context, const IniMergeState& merge) {
  PassState& state = context.state;
  const std::string& location = context.location;
  context.guard.run([&] {
    TextAusgabe(state,
                TextEinlesen(state, 19, location) + " " +
                    TextEinlesen(state, 20, location) + merge.section + " " +
                    TextEinlesen(state, 21, location) + merge.key + " " +
                    TextEinlesen(state, 22, location) + merge.value + " -> " +
                    context.target_path,
                true, location);
  });
  context.guard.run([&] { RecordEntry(context, merge); });
  bool taken = false;
  context.guard.run([&] {
    // The entry stays logged as written and nothing is shown, yet an entry
    // the pack wanted is not on the PC: the record says so, and so the
    // run's exit status does.
    taken = SaveIni(state, merge.value, merge.section, merge.key,
                    context.target_path, location);
    if (!taken) state.run_report.NoteIniValueRefused(RefusedWrite());
  });
  return taken;
}

// Writes every entry of source_path into the existing target_path.
void MergeIniFile(PassContext& context, IniMergeState& merge) {
  std::unique_ptr<ItemReader> reader;
  // A source that cannot be opened is reported, and its merge is given up:
  // there is nothing to read, and asking a file that is not open for its end
  // would fail for ever.
  if (!context.guard.run([&] {
        reader = context.state.files.OpenForInput(context.source_path);
      })) {
    return;
  }
  // The store may hold the entries of a moment and write them back
  // together, instead of rewriting the whole file for every entry.
  ProfileBatch batch(context.state.profiles, context.target_path);
  // Where the record of each entry the store took begins.
  std::vector<std::size_t> taken;
  std::string item;
  while (context.guard.test([&] { return !reader->AtEnd(); })) {
    // A failed read leaves the previous item in place, which the steps below
    // then see again: the failure is reported, and the run goes on with what
    // it has rather than inventing an empty item.
    const bool read = context.guard.run([&] { item = reader->ReadItem(); });
    context.guard.run([&] { item = TrimBlanks(item); });
    context.guard.run([&] { ClassifyIniItem(merge, item); });
    if (context.guard.test([&] { return merge.ShouldWrite(); })) {
      // The entry's record is the last one once it is written.
      if (WriteEntry(context, merge)) {
        taken.push_back(context.state.run_report.Mark());
      }
    }
    context.state.window.KeepResponsive();
    // A reader that failed once cannot be relied on to move on: reading on
    // could repeat the same failure for ever.
    if (!read) break;
  }
  // A refused write-back (the target locked or made read-only meanwhile)
  // loses the entries the store still held: each is a failure, as a
  // refused single write is. The log keeps them as written.
  const std::size_t held =
      std::min(context.state.profiles.BatchPending(), taken.size());
  if (!batch.Flush() && held > 0) {
    context.state.run_report.NoteIniValuesRefusedSince(
        taken[taken.size() - held], RefusedWrite());
  }
  // The source is closed when the reader goes.
}

void InstallIniFile(PassContext& context) {
  PassState& state = context.state;
  IniMergeState merge;  // emptied for every file
  if (context.guard.test([&] {
        return !state.files.Dir(context.target_path, kAttrDirectory).empty();
      })) {
    // Entries of a file that is not the sealed one are not written either.
    if (context.guard.run(
            [&] { VerifyAgainstSeal(state, context.source_path); })) {
      MergeIniFile(context, merge);
    }
  } else {
    // A missing file is copied whole: no date check, no retry, no
    // replacement at the next restart.
    state.run_report.SetAction(ReportAction::kCopiedWhole);
    context.guard.run([&] {
      TextAusgabe(state,
                  TextEinlesen(state, 17, context.location) + " " +
                      context.source_path + " " + context.target_path,
                  true, context.location);
    });
    if (!context.guard.run(
            [&] { VerifyAgainstSeal(state, context.source_path); })) {
      return;
    }
    if (context.guard.run([&] {
          state.files.FileCopy(context.source_path, context.target_path);
        })) {
      state.run_report.NoteChanged();
    }
  }
}

}  // namespace

void IniKopieren(PassState& state, const std::string& call_path) {
  RunPass(state, "Ini", call_path + ".IniKopieren",
          {.folder = [](PassContext& c) { CreateMissingFolder(c, false); },
           .file = InstallIniFile});
}

}  // namespace rolvex
