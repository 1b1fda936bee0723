#include "shell/preview_summary.h"

#include <map>
#include <vector>

#include "platform/exit_status.h"
#include "platform/rules/ascii_text.h"
#include "platform/window.h"
#include "settings/ini_access.h"

namespace rolvex {
namespace {

// A message box's text on one line: each run of line ends becomes " / ".
std::string OneLine(const std::string& text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      // A blank line between paragraphs gives one separator, not two.
      if (line.size() < 3 || line.compare(line.size() - 3, 3, " / ") != 0) {
        line += " / ";
      }
    } else {
      line += text[i];
    }
  }
  return line;
}

class SummaryWriter {
 public:
  SummaryWriter(const PreviewOutcome& outcome, Clock& clock, std::ostream& out)
      : outcome_(outcome), clock_(clock), out_(out) {}

  void Write() {
    Questions();
    Group("Files:",
          {ReportAction::kNew, ReportAction::kReplaced, ReportAction::kKept,
           ReportAction::kFontReplaced, ReportAction::kScheduledAtRestart});
    Group("Folders:", {ReportAction::kFolderCreated});
    Group("Ini entries:", {ReportAction::kMerged, ReportAction::kCopiedWhole});
    OtherIniWrites();
    Group("Components:", {ReportAction::kRegistered});
    Group("Would fail outside an entry:", {ReportAction::kNone});
    Restarts();
    Warnings();
    Totals();
  }

  // One line per change, failure and question, nothing else.
  void WriteChanges() {
    for (const ReportEntry& entry : outcome_.report.entries()) {
      if (entry.outcome != ReportOutcome::kOk) {
        out_ << (entry.outcome == ReportOutcome::kIgnored ? "would ask  "
                                                          : "would fail ")
             << Place(entry) << Failure(entry) << '\n';
      } else if (entry.changed) {
        out_ << Change(entry) << '\n';
      }
    }
    ForEachOtherIniWrite([&](const ProfileWrite& write) {
      out_ << "ini        " << write.file << " [" << write.section << "] "
           << write.key << " = " << write.value << '\n';
    });
  }

 private:
  std::string Time(const std::optional<std::int64_t>& time) {
    return time ? clock_.FormatLocal(*time) : std::string("no time");
  }

  std::string Describe(const ReportEntry& entry) {
    switch (entry.action) {
      case ReportAction::kNew:
        return "new: " + entry.target + " (" + Time(entry.source_time) + ")";
      case ReportAction::kReplaced:
        return "replaced: " + entry.target + " (" + Time(entry.source_time) +
               " over " + Time(entry.target_time) + ")";
      case ReportAction::kKept:
        return "kept: " + entry.target + " (" + Time(entry.source_time) +
               ", not newer than " + Time(entry.target_time) + ")";
      case ReportAction::kFontReplaced:
        return "font replaced: " + entry.target;
      case ReportAction::kFolderCreated:
        return "would be created: " + entry.target;
      case ReportAction::kCopiedWhole:
        return "copied whole: " + entry.source + " -> " + entry.target;
      case ReportAction::kMerged:
        return IniChange(entry);
      case ReportAction::kRegistered:
        return Component(entry);
      case ReportAction::kScheduledAtRestart:
        return "would be replaced at restart: " + entry.target;
      case ReportAction::kNone:
      default:  // an undo's actions: never in a run's summary
        break;
    }
    return entry.pass + ": " +
           (entry.target.empty() ? entry.source : entry.target);
  }

  static std::string IniChange(const ReportEntry& entry) {
    if (!entry.ini) return "merged: " + entry.target;
    const ReportIniValue& ini = *entry.ini;
    const std::string place =
        entry.target + " [" + ini.section + "] " + ini.key;
    if (!ini.old_value) return "added: " + place + " = " + ini.value;
    if (TrimBlanks(*ini.old_value) == TrimBlanks(ini.value)) {
      return "unchanged: " + place + " = " + ini.value;
    }
    return "changed: " + place + ": " + *ini.old_value + " -> " + ini.value;
  }

  static std::string Component(const ReportEntry& entry) {
    std::string line = "component: " + entry.target;
    if (const char* copy = ActionName(entry.copy); *copy != '\0') {
      line += std::string(" (") + copy + ")";
    }
    for (const ReportCommand& command : entry.commands) {
      line += "\n      runs: " + command.line;
    }
    return line;
  }

  static std::string SealReason(const ReportSeal& seal) {
    if (seal.state == "differs") return "its SHA-256 differs from the seal";
    if (seal.state == "not-listed") return "the seal does not list it";
    return "the seal cannot be read";
  }

  static std::string Failure(const ReportEntry& entry) {
    if (!entry.error) return "";
    std::string text = ": Number " + std::to_string(entry.error->number) + " " +
                       entry.error->description;
    if (entry.seal) text += " (" + SealReason(*entry.seal) + ")";
    return text;
  }

  std::string Outcome(const ReportEntry& entry) {
    if (entry.outcome == ReportOutcome::kOk) return "";
    std::string text = " -- would fail" + Failure(entry);
    if (entry.outcome == ReportOutcome::kIgnored) text += " (would ask)";
    return text;
  }

  static std::string Place(const ReportEntry& entry) {
    std::string place = entry.target.empty() ? entry.source : entry.target;
    if (entry.ini) {
      place += " [" + entry.ini->section + "] " + entry.ini->key;
    }
    return place.empty() ? entry.pass : place;
  }

  // A change in a word and its place, the words aligned.
  std::string Change(const ReportEntry& entry) {
    switch (entry.action) {
      case ReportAction::kNew:
        return "new        " + entry.target + " (" + Time(entry.source_time) +
               ")";
      case ReportAction::kReplaced:
        return "replaced   " + entry.target + " (" + Time(entry.source_time) +
               " over " + Time(entry.target_time) + ")";
      case ReportAction::kFontReplaced:
        return "font       " + entry.target;
      case ReportAction::kFolderCreated:
        return "folder     " + entry.target;
      case ReportAction::kCopiedWhole:
        return "ini copied " + entry.target;
      case ReportAction::kMerged:
        return "ini        " + Place(entry) + ": " +
               (entry.ini && entry.ini->old_value ? *entry.ini->old_value
                                                  : "(none)") +
               " -> " + (entry.ini ? entry.ini->value : "");
      case ReportAction::kRegistered:
        return "component  " + entry.target;
      case ReportAction::kScheduledAtRestart:
        return "at restart " + entry.target;
      default:
        return "changed    " + Place(entry);
    }
  }

  void Group(const char* heading, std::initializer_list<ReportAction> actions) {
    bool any = false;
    for (const ReportEntry& entry : outcome_.report.entries()) {
      bool wanted = false;
      for (ReportAction action : actions) wanted |= entry.action == action;
      if (!wanted) continue;
      if (!any) out_ << heading << '\n';
      any = true;
      out_ << "  " << Describe(entry) << Outcome(entry) << '\n';
    }
  }

  void Questions() {
    if (outcome_.questions.empty()) return;
    out_ << "Message boxes (a question answered Ignore here):\n";
    for (const AskedQuestion& q : outcome_.questions) {
      out_ << (q.style == kMbAbortRetryIgnoreCritical ? "  would ask: "
                                                      : "  would show: ")
           << OneLine(q.text) << '\n';
    }
  }

  // Ini writes outside the passes' entries: the pack's version handed over
  // at start-up.
  template <typename Show>
  void ForEachOtherIniWrite(const Show& show) {
    for (const ProfileWrite& write : outcome_.ini_writes) {
      bool in_entry = false;
      for (const ReportEntry& entry : outcome_.report.entries()) {
        in_entry |=
            entry.ini && AsciiEqualsIgnoringCase(entry.target, write.file) &&
            AsciiEqualsIgnoringCase(entry.ini->section, write.section) &&
            AsciiEqualsIgnoringCase(entry.ini->key, write.key);
      }
      if (!in_entry) show(write);
    }
  }

  void OtherIniWrites() {
    bool any = false;
    ForEachOtherIniWrite([&](const ProfileWrite& write) {
      if (!any) out_ << "Other ini entries written:\n";
      any = true;
      out_ << "  " << write.file << " [" << write.section << "] " << write.key
           << " = " << write.value << '\n';
    });
  }

  void Warnings() {
    if (outcome_.report.warnings().empty()) return;
    out_ << "Warnings:\n";
    for (const std::string& warning : outcome_.report.warnings()) {
      out_ << "  " << warning << '\n';
    }
  }

  void Restarts() {
    if (outcome_.restart_requests.empty()) return;
    out_ << "Would be replaced at the next restart:\n";
    for (const RestartRequest& r : outcome_.restart_requests) {
      out_ << "  " << r.source << " -> " << r.target << '\n';
    }
  }

  void Totals() {
    std::map<std::string, std::map<std::string, int>> per_pass;
    int failing = 0;
    for (const ReportEntry& entry : outcome_.report.entries()) {
      const char* action = ActionName(entry.action);
      ++per_pass[entry.pass][*action != '\0' ? action : "other"];
      if (entry.outcome != ReportOutcome::kOk) ++failing;
    }
    out_ << "Totals:";
    for (const char* pass : {"Standard", "Register", "Ini"}) {
      out_ << "\n  " << pass << ":";
      const auto it = per_pass.find(pass);
      if (it == per_pass.end()) {
        out_ << " nothing";
        continue;
      }
      bool first = true;
      for (const auto& [action, count] : it->second) {
        out_ << (first ? " " : ", ") << count << ' ' << action;
        first = false;
      }
    }
    out_ << "\n  " << failing << " entries would fail, "
         << outcome_.questions.size() << " message boxes, "
         << outcome_.restart_requests.size()
         << " replacements at the next restart, "
         << outcome_.command_lines.size() << " commands, "
         << outcome_.report.warnings().size() << " warnings\n";
    out_ << "Exit status: " << outcome_.exit_status << " ("
         << PreviewStatusMeaning(outcome_.exit_status) << ")\n";
  }

  const PreviewOutcome& outcome_;
  Clock& clock_;
  std::ostream& out_;
};

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

void WritePreviewSummary(const PreviewOutcome& outcome, Clock& clock,
                         std::ostream& out) {
  SummaryWriter(outcome, clock, out).Write();
}

void WritePreviewChangeLines(const PreviewOutcome& outcome, Clock& clock,
                             std::ostream& out) {
  SummaryWriter(outcome, clock, out).WriteChanges();
}

}  // namespace rolvex
