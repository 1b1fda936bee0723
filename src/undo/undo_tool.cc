#include "undo/undo_tool.h"

#include <algorithm>
#include <ostream>

#include "platform/dry_run/dry_run_file_system.h"
#include "platform/dry_run/dry_run_profile_store.h"
#include "platform/dry_run/recording_parts.h"
#include "platform/journal/journal_format.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

constexpr int kUndoBadInput = 2;

// The journal folders of `folder`: itself when it holds a journal, else its
// "run-*" folders, the newest first.
std::vector<std::string> JournalFolders(FileSystem& files,
                                        const std::string& folder) {
  try {
    if (!files.Dir(folder + "\\" + kJournalFileName, 7).empty())
      return {folder};
  } catch (const RunError&) {
    return {};
  }
  std::vector<std::string> runs;
  for (std::string name = files.Dir(folder + "\\run-*", 16); !name.empty();
       name = files.DirNext()) {
    if (name != "." && name != "..") runs.push_back(folder + "\\" + name);
  }
  std::sort(runs.rbegin(), runs.rend());
  return runs;
}

std::string ReadWhole(FileSystem& files, const std::string& path) {
  std::string text;
  files.ReadContent(path, [&](const char* data, std::size_t size) {
    text.append(data, size);
  });
  return text;
}

// The bytes a journal folder holds: its journal and its saved files.
std::int64_t JournalBytes(FileSystem& files, const std::string& folder) {
  std::int64_t bytes = 0;
  try {
    bytes += files.FileLen(folder + "\\" + kJournalFileName);
    const std::string saved = folder + "\\" + kJournalSavedFolder;
    std::vector<std::string> names;
    for (std::string name = files.Dir(saved + "\\*", 7); !name.empty();
         name = files.DirNext()) {
      names.push_back(name);
    }
    for (const std::string& name : names) {
      bytes += files.FileLen(saved + "\\" + name);
    }
  } catch (const RunError&) {
  }
  return bytes;
}

}  // namespace

std::optional<UndoArguments> ParseUndoArguments(
    const std::vector<std::string>& args, std::ostream& errors) {
  UndoArguments parsed;
  for (const std::string& arg : args) {
    if (arg == "--preview") {
      parsed.preview = true;
    } else if (arg.empty() || (arg[0] == '-' && arg.size() > 1) ||
               !parsed.folder.empty()) {
      errors << "rolvex-undo: unexpected argument \"" << arg << "\"\n"
             << kUndoUsage;
      return std::nullopt;
    } else {
      parsed.folder = arg;
    }
  }
  if (parsed.folder.empty()) {
    errors << kUndoUsage;
    return std::nullopt;
  }
  while (parsed.folder.size() > 3 &&
         (parsed.folder.back() == '\\' || parsed.folder.back() == '/')) {
    parsed.folder.pop_back();
  }
  return parsed;
}

int RunUndo(const UndoArguments& arguments, UndoParts parts,
            const UndoReporting& reporting, std::ostream& out,
            std::ostream& errors) {
  const std::int64_t started = reporting.now();
  const std::vector<std::string> folders =
      JournalFolders(parts.files, arguments.folder);
  if (folders.empty()) {
    errors << "rolvex-undo: no backup journal in " << arguments.folder << "\n";
    return kUndoBadInput;
  }
  RunReport report;
  const CodePage& cp = reporting.code_page;
  UndoRun undo(parts, report, [&](const std::string& line) {
    out << cp.ToTerminal(cp.ToUtf8(line)) << "\n";
  });
  std::string pack;
  std::int64_t bytes = 0;
  int status = 0;
  for (const std::string& folder : folders) {
    std::optional<UndoJournal> journal;
    try {
      journal = ReadUndoJournal(
          ReadWhole(parts.files, folder + "\\" + kJournalFileName));
    } catch (const RunError&) {
      // A run killed before its journal's first line changed nothing.
      continue;
    }
    if (!journal) {
      errors << "rolvex-undo: not a journal of this program: " << folder << "\\"
             << kJournalFileName << "\n";
      status = kUndoBadInput;
      continue;
    }
    bytes += JournalBytes(parts.files, folder);
    if (journal->undone) {
      out << cp.ToTerminal(cp.ToUtf8("already undone: " + folder)) << "\n";
      continue;
    }
    if (pack.empty()) pack = journal->pack_folder;
    out << cp.ToTerminal(
               cp.ToUtf8((arguments.preview ? "would undo " : "undoing ") +
                         folder + (journal->ended ? "" : " (a run cut off)")))
        << "\n";
    undo.Undo(folder, *journal);
    if (!arguments.preview) {
      try {
        parts.files.AppendLine(
            folder + "\\" + kJournalFileName,
            FormatJournalRecord({"undone", std::to_string(reporting.now())}));
      } catch (const RunError& e) {
        errors << "rolvex-undo: cannot mark " << folder
               << " as undone: " << e.description() << "\n";
        status = std::max(status, 1);
      }
    }
  }
  if (report.failed() && status == 0) status = 1;
  out << (status == 0 ? "undo complete" : "undo finished with failures")
      << (arguments.preview ? " (preview: nothing was changed)" : "") << "\n";
  if (!reporting.report_path.empty()) {
    RunReportEnd end;
    end.kind = "undo";
    end.preview = arguments.preview;
    end.exit_status = status;
    end.service_pack_folder = pack;
    end.started = started;
    end.ended = reporting.now();
    end.facts = reporting.facts;
    end.backup_folder = arguments.folder;
    end.backup_bytes = bytes;
    const std::string problem =
        reporting.write(reporting.report_path, RunReportJson(report, end, cp));
    if (!problem.empty()) {
      errors << "rolvex-undo: report not written: " << problem << "\n";
    }
  }
  return status;
}

int RunUndoOrPreview(const UndoArguments& arguments, UndoParts parts,
                     FileProbe& probe, const UndoReporting& reporting,
                     std::ostream& out, std::ostream& errors) {
  if (!arguments.preview) {
    return RunUndo(arguments, parts, reporting, out, errors);
  }
  DryRunFileSystem files(parts.files, probe);
  DryRunProfileStore profiles(parts.profiles, files);
  RecordingProcessRunner processes(parts.processes, files);
  RecordingRestartScheduler restarts;
  NoPauseClock clock(parts.clock);
  return RunUndo(arguments, {files, profiles, processes, restarts, clock},
                 reporting, out, errors);
}

}  // namespace rolvex
