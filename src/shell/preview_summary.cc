#include "shell/preview_summary.h"

#include <functional>
#include <vector>

#include "platform/exit_status.h"
#include "platform/window.h"

namespace rolvex {
namespace {

// A message box's text on one line: its line ends become " / ".
std::string OneLine(const std::string& text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += " / ";
    } else {
      line += text[i];
    }
  }
  return line;
}

// Prints `heading` and one line per item, only when there are items.
template <typename Item>
void Section(std::ostream& out, const char* heading,
             const std::vector<Item>& items,
             const std::function<std::string(const Item&)>& show) {
  if (items.empty()) return;
  out << heading << '\n';
  for (const Item& item : items) out << "  " << show(item) << '\n';
}

std::vector<FileChange> Only(const PreviewOutcome& outcome,
                             FileChange::Kind kind) {
  std::vector<FileChange> found;
  for (const FileChange& change : outcome.file_changes) {
    if (change.kind == kind) found.push_back(change);
  }
  return found;
}

}  // namespace

std::string PreviewStatusMeaning(int exit_status) {
  switch (exit_status) {
    case kExitCompleted:
      return "the run would complete without a failure";
    case kExitCompletedWithFailures:
      return "the run would complete with failures";
    case kExitLatchSet:
      return "the cancel latch is set: nothing would run";
    case kExitRestartScheduled:
      return "the run would complete; a restart would be needed";
    default:
      return "the run would end early";
  }
}

void WritePreviewSummary(const PreviewOutcome& outcome, std::ostream& out) {
  using Kind = FileChange::Kind;
  const auto folders = Only(outcome, Kind::kFolderCreated);
  const auto copies = Only(outcome, Kind::kFileCopied);
  const auto deletions = Only(outcome, Kind::kFileDeleted);
  Section<AskedQuestion>(
      out, "Would ask (answered Ignore here):", outcome.questions,
      [](const AskedQuestion& q) {
        return std::string(q.style == kMbAbortRetryIgnoreCritical
                               ? "would ask: "
                               : "would show: ") +
               OneLine(q.text);
      });
  Section<FileChange>(out, "Folders that would be created:", folders,
                      [](const FileChange& c) { return c.path; });
  Section<FileChange>(
      out, "Files that would be copied:", copies,
      [](const FileChange& c) { return c.other + " -> " + c.path; });
  Section<FileChange>(out, "Files that would be deleted:", deletions,
                      [](const FileChange& c) { return c.path; });
  Section<ProfileWrite>(
      out, "Ini entries that would be written:", outcome.ini_writes,
      [](const ProfileWrite& w) {
        return "[" + w.section + "] " + w.key + "=" + w.value + " -> " + w.file;
      });
  Section<std::string>(out,
                       "Commands that would be started:", outcome.command_lines,
                       [](const std::string& line) { return line; });
  Section<RestartRequest>(
      out, "Would be replaced at the next restart:", outcome.restart_requests,
      [](const RestartRequest& r) { return r.source + " -> " + r.target; });
  out << "Totals: " << folders.size() << " folders, " << copies.size()
      << " copies, " << deletions.size() << " deletions, "
      << outcome.ini_writes.size() << " ini writes, "
      << outcome.command_lines.size() << " commands, "
      << outcome.restart_requests.size() << " restart replacements, "
      << outcome.questions.size() << " message boxes\n";
  out << "Exit status: " << outcome.exit_status << " ("
      << PreviewStatusMeaning(outcome.exit_status) << ")\n";
}

}  // namespace rolvex
