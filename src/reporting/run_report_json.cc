#include "reporting/run_report_json.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace rolvex {
namespace {

using nlohmann::ordered_json;

const char* const kPasses[] = {"Standard", "Register", "Ini"};
const ReportOutcome kOutcomes[] = {ReportOutcome::kOk, ReportOutcome::kFailed,
                                   ReportOutcome::kIgnored,
                                   ReportOutcome::kAborted};

ordered_json TextOrNull(const CodePage& cp, const std::string& text) {
  return text.empty() ? ordered_json(nullptr) : ordered_json(cp.ToUtf8(text));
}

ordered_json ActionOrNull(ReportAction action) {
  return action == ReportAction::kNone ? ordered_json(nullptr)
                                       : ordered_json(ActionName(action));
}

ordered_json EntryJson(const CodePage& cp, const ReportEntry& entry) {
  ordered_json out;
  // An entry before the passes (an unreadable seal) belongs to none.
  out["pass"] =
      entry.pass.empty() ? ordered_json(nullptr) : ordered_json(entry.pass);
  out["source"] = TextOrNull(cp, entry.source);
  out["target"] = TextOrNull(cp, entry.target);
  out["action"] = ActionOrNull(entry.action);
  out["changed"] = entry.changed;
  out["outcome"] = OutcomeName(entry.outcome);
  if (entry.copy != ReportAction::kNone) out["copy"] = ActionName(entry.copy);
  if (!entry.commands.empty()) {
    ordered_json commands = ordered_json::array();
    for (const ReportCommand& command : entry.commands) {
      commands.push_back(
          {{"line", cp.ToUtf8(command.line)},
           {"started", command.started},
           {"exit_code", command.exit_code ? ordered_json(*command.exit_code)
                                           : ordered_json(nullptr)}});
    }
    out["commands"] = commands;
  }
  if (entry.source_time) out["source_time"] = IsoUtc(*entry.source_time);
  if (entry.target_time) out["target_time"] = IsoUtc(*entry.target_time);
  if (entry.ini) {
    out["section"] = cp.ToUtf8(entry.ini->section);
    out["key"] = cp.ToUtf8(entry.ini->key);
    out["old_value"] = entry.ini->old_value
                           ? ordered_json(cp.ToUtf8(*entry.ini->old_value))
                           : ordered_json(nullptr);
    out["value"] = cp.ToUtf8(entry.ini->value);
    out["written"] = entry.ini->written;
  }
  if (entry.error) {
    ordered_json error = {{"number", entry.error->number},
                          {"description", cp.ToUtf8(entry.error->description)},
                          {"source", cp.ToUtf8(entry.error->source)}};
    if (entry.error->system) {
      error["system"] = {{"code", entry.error->system->code},
                         {"text", cp.ToUtf8(entry.error->system->text)}};
    }
    out["error"] = error;
  }
  if (entry.seal) {
    ordered_json seal = {{"state", entry.seal->state}};
    if (!entry.seal->sealed.empty()) seal["sealed"] = entry.seal->sealed;
    if (!entry.seal->found.empty()) seal["found"] = entry.seal->found;
    out["seal"] = seal;
  }
  if (!entry.held_by.empty()) {
    ordered_json holders = ordered_json::array();
    for (const FileHolder& holder : entry.held_by) {
      holders.push_back(
          {{"pid", holder.pid}, {"name", cp.ToUtf8(holder.name)}});
    }
    out["held_by"] = holders;
  }
  if (entry.retries > 0) out["retries"] = entry.retries;
  if (entry.answered_automatically) out["answered"] = "automatically";
  return out;
}

// Entries and outcomes of one pass (or of all), and how often each action
// was taken.
struct Tally {
  int entries = 0;
  int changed = 0;
  int outcomes[4] = {};
  ordered_json actions = ordered_json::object();

  void Add(const ReportEntry& entry) {
    ++entries;
    if (entry.changed) ++changed;
    ++outcomes[static_cast<int>(entry.outcome)];
    if (entry.action == ReportAction::kNone) return;
    const char* name = ActionName(entry.action);
    actions[name] = actions.value(name, 0) + 1;
  }

  ordered_json Json() const {
    ordered_json out;
    out["entries"] = entries;
    out["changed"] = changed;
    out["unchanged"] = entries - changed;
    for (ReportOutcome outcome : kOutcomes) {
      out[OutcomeName(outcome)] = outcomes[static_cast<int>(outcome)];
    }
    out["actions"] = actions;
    return out;
  }
};

ordered_json CountsJson(const RunReport& report) {
  Tally passes[3];
  Tally total;
  for (const ReportEntry& entry : report.entries()) {
    for (int i = 0; i < 3; ++i) {
      if (entry.pass == kPasses[i]) passes[i].Add(entry);
    }
    total.Add(entry);
  }
  ordered_json out;
  for (int i = 0; i < 3; ++i) out[kPasses[i]] = passes[i].Json();
  out["total"] = total.Json();
  return out;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe =
      (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

std::string IsoUtc(std::int64_t time) {
  std::int64_t days = time / 86400;
  std::int64_t seconds = time % 86400;
  if (seconds < 0) {
    seconds += 86400;
    --days;
  }
  int year = 0, month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", year,
                month, day, static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

std::string RunReportJson(const RunReport& report, const RunReportEnd& end,
                          const CodePage& cp) {
  ordered_json out;
  out["format"] = kReportFormat;
  out["kind"] = end.kind;
  out["state"] = end.running ? "running" : "ended";
  out["preview"] = end.preview;
  out["exit_status"] =
      end.running ? ordered_json(nullptr) : ordered_json(end.exit_status);
  if (!end.interrupted_by.empty()) out["interrupted_by"] = end.interrupted_by;
  out["restart_required"] = report.restart_required();
  out["host"] = cp.ToUtf8(end.facts.host);
  out["installer"] = {{"version", end.facts.installer_version},
                      {"build", end.facts.build}};
  out["service_pack"] = {{"folder", cp.ToUtf8(end.service_pack_folder)},
                         {"version", cp.ToUtf8(end.service_pack_version)}};
  out["started"] = IsoUtc(end.started);
  out["ended"] =
      end.running ? ordered_json(nullptr) : ordered_json(IsoUtc(end.ended));
  out["log"] = TextOrNull(cp, report.log_path());
  ordered_json warnings = ordered_json::array();
  for (const std::string& warning : report.warnings()) {
    warnings.push_back(cp.ToUtf8(warning));
  }
  out["warnings"] = warnings;
  if (!end.backup_folder.empty()) {
    out["backup"] = {{"folder", cp.ToUtf8(end.backup_folder)},
                     {"bytes", end.backup_bytes}};
  }
  out["counts"] = CountsJson(report);
  ordered_json entries = ordered_json::array();
  for (const ReportEntry& entry : report.entries()) {
    entries.push_back(EntryJson(cp, entry));
  }
  out["entries"] = entries;
  // One line: a report of thousands of entries stays a few hundred
  // kilobytes, within what every JSON reader takes in one piece.
  // A code page that let an invalid sequence through still gives JSON.
  return out.dump(-1, ' ', false, ordered_json::error_handler_t::replace) +
         "\n";
}

}  // namespace rolvex
