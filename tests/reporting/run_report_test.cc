#include "reporting/run_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/fake_code_page.h"
#include "fakes/fake_settings.h"
#include "fakes/recording_window.h"
#include "platform/exit_status.h"
#include "reporting/report_at_end.h"
#include "reporting/run_report_json.h"

namespace rolvex {
namespace {

using nlohmann::json;

TEST(RunReportTest, EntriesKeepWhatHappenedToThem) {
  RunReport report;
  report.BeginPass("Standard");
  report.BeginEntry();  // an existing folder: nothing happened to it
  report.SetPlaces("C:\\SP\\Standard\\Fonts", "C:\\Fonts");
  report.BeginEntry();
  report.SetPlaces("C:\\SP\\Standard\\Fonts\\a.ttf", "C:\\Fonts\\a.ttf");
  report.NoteFontDeleted();
  report.SetAction(ReportAction::kNew);
  report.BeginEntry();
  report.SetAction(ReportAction::kNew);  // the font's mark does not carry over
  report.Fail(RunError::Of(kErrPermissionDenied), ReportOutcome::kIgnored);
  report.Fail(RunError::Of(kErrFileNotFound));  // lighter: changes nothing
  report.BeginPass("Register");
  report.BeginEntry();
  report.SetAction(ReportAction::kRegistered);
  report.AddCommand({"RegSvr32 /u /s C:\\a.dll", true, 0});
  report.SetAction(ReportAction::kScheduledAtRestart);
  report.BeginPass("Ini");
  report.BeginEntry();
  report.SetPlaces("C:\\SP\\Ini\\a.ini", "C:\\a.ini");
  report.AddIniValue({"S", "K1", std::nullopt, "1"});
  report.Fail(RunError::Of(kErrPathNotFound));
  report.AddIniValue({"S", "K2", "old", "2"});
  report.EndEntry();
  report.Fail(RunError::Of(kErrOverflow));  // outside every entry

  const auto& entries = report.entries();
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0].action, ReportAction::kFontReplaced);
  EXPECT_EQ(entries[1].action, ReportAction::kNew);
  EXPECT_EQ(entries[1].outcome, ReportOutcome::kIgnored);
  EXPECT_EQ(entries[1].error->number, kErrPermissionDenied);
  EXPECT_EQ(entries[2].pass, "Register");
  EXPECT_EQ(entries[2].action, ReportAction::kRegistered);
  EXPECT_EQ(entries[2].copy, ReportAction::kScheduledAtRestart);
  EXPECT_EQ(entries[2].commands.size(), 1u);
  // Every ini entry written is an entry of its own, with the file's places
  // and only its own failures.
  EXPECT_EQ(entries[3].ini->key, "K1");
  EXPECT_EQ(entries[3].outcome, ReportOutcome::kFailed);
  EXPECT_EQ(entries[4].ini->key, "K2");
  EXPECT_EQ(entries[4].target, "C:\\a.ini");
  EXPECT_EQ(entries[4].action, ReportAction::kMerged);
  EXPECT_EQ(entries[4].outcome, ReportOutcome::kOk);
  EXPECT_EQ(entries[5].pass, "Ini");
  EXPECT_EQ(entries[5].action, ReportAction::kNone);
  EXPECT_EQ(entries[5].error->number, kErrOverflow);
}

TEST(RunReportTest, JsonHoldsTheRunItsCountsAndItsEntries) {
  RunReport report;
  report.SetLogPath("C:\\QueltServicePack.log");
  report.NoteRestartRequired();
  report.AddWarning("C:\\$Tool$ still holds a placeholder");
  report.BeginPass("Standard");
  report.BeginEntry();
  report.SetPlaces("C:\\SP\\Standard\\gr\xFC\xDF.txt", "C:\\gr\xFC\xDF.txt");
  report.SetAction(ReportAction::kReplaced);
  report.SetTimes(951782400, std::nullopt);
  report.Fail(RunError(70, "Permission denied", "Rolvex")
                  .WithSystem({32, "The process cannot access the file"})
                  .HeldBy({{4711, "Quelt.exe"}}),
              ReportOutcome::kIgnored);
  report.NoteRetry();
  report.BeginPass("Ini");
  report.BeginEntry();
  report.SetPlaces("C:\\SP\\Ini\\a.ini", "C:\\a.ini");
  report.AddIniValue({"S", "K", std::nullopt, "\xC3\xA4"});  // already UTF-8
  report.AddIniValue({"S", "Pfad ", "C:\\P", " C:\\P"});  // reads the same
  report.EndEntry();

  RunReportEnd end;
  end.exit_status = 3010;
  end.service_pack_folder = "C:\\ServicePacks";
  end.service_pack_version = "7.1";
  end.ended = -1;
  end.preview = true;
  end.facts = {"PC-7", "1.0.0", "x86"};
  const std::string text = RunReportJson(report, end, FakeCodePage());
  // One line.
  EXPECT_EQ(text.find('\n'), text.size() - 1);
  const json out = json::parse(text);
  EXPECT_EQ(out["format"], 2);
  EXPECT_EQ(out["state"], "ended");
  EXPECT_EQ(out["preview"], true);
  EXPECT_EQ(out["exit_status"], 3010);
  EXPECT_EQ(out["restart_required"], true);
  EXPECT_EQ(out["host"], "PC-7");
  EXPECT_EQ(out["installer"], json({{"version", "1.0.0"}, {"build", "x86"}}));
  EXPECT_EQ(out["service_pack"],
            json({{"folder", "C:\\ServicePacks"}, {"version", "7.1"}}));
  EXPECT_EQ(out["started"], "1970-01-01T00:00:00Z");
  EXPECT_EQ(out["ended"], "1969-12-31T23:59:59Z");
  EXPECT_EQ(out["log"], "C:\\QueltServicePack.log");
  EXPECT_EQ(out["warnings"].size(), 1u);
  EXPECT_EQ(out["counts"]["Standard"],
            json::parse(R"({"entries":1,"changed":0,"unchanged":1,"ok":0,)"
                        R"("failed":0,"ignored":1,"aborted":0,)"
                        R"("actions":{"replaced":1}})"));
  EXPECT_EQ(out["counts"]["Register"]["entries"], 0);
  EXPECT_EQ(out["counts"]["total"]["changed"], 1);

  const json& file = out["entries"][0];
  EXPECT_EQ(file["pass"], "Standard");
  EXPECT_EQ(file["action"], "replaced");
  EXPECT_EQ(file["changed"], false);
  EXPECT_EQ(file["outcome"], "ignored");
  EXPECT_EQ(file["source_time"], "2000-02-29T00:00:00Z");
  EXPECT_FALSE(file.contains("target_time"));
  EXPECT_EQ(file["error"]["number"], 70);
  EXPECT_EQ(file["error"]["system"]["code"], 32);
  EXPECT_EQ(file["held_by"],
            json::parse(R"([{"pid":4711,"name":"Quelt.exe"}])"));
  EXPECT_EQ(file["retries"], 1);
  const json& ini = out["entries"][1];
  EXPECT_EQ(ini["action"], "merged");
  EXPECT_EQ(ini["changed"], true);
  EXPECT_EQ(ini["old_value"], nullptr);
  EXPECT_EQ(ini["value"], "\xC3\xA4");
  EXPECT_EQ(ini["written"], true);
  EXPECT_FALSE(ini.contains("error"));
  EXPECT_EQ(out["entries"][2]["changed"], false);

  // While the run goes on: no exit status, no end.
  end.running = true;
  const json running = json::parse(RunReportJson(report, end, FakeCodePage()));
  EXPECT_EQ(running["state"], "running");
  EXPECT_EQ(running["exit_status"], nullptr);
  EXPECT_EQ(running["ended"], nullptr);
}

TEST(RunReportTest, TheReportSaysARunBeganAndIsWrittenOnceAtItsEnd) {
  RunReport report;
  MemoryProfileStore profiles;
  profiles.Set("C:\\ServicePacks\\Rolvex.ini", "ServicePack", "Version", "9");
  RecordingWindow inner;
  std::ostringstream errors;
  std::vector<std::string> written;
  const WholeFileWriter keep = [&](const std::string& path,
                                   const std::string& text) {
    written.push_back(path + " " + text);
    return std::string();
  };
  const FakeCodePage code_page;
  ReportAtEnd at_end("C:\\r.json", {"PC", "1", "linux"}, code_page, profiles,
                     inner, keep, errors);
  at_end.Attach(report);
  ReportingWindow window(inner, at_end);

  at_end.WriteRunning();
  EXPECT_EQ(window.ProgramDirectory(), "C:\\ServicePacks");
  EXPECT_THROW(window.EndProgram(kExitAborted), ProgramEnded);
  EXPECT_EQ(inner.ended_with, kExitAborted);
  at_end.Write(kExitCompleted);  // later ends write nothing
  ASSERT_EQ(written.size(), 2u);
  const json running = json::parse(written[0].substr(written[0].find(' ')));
  EXPECT_EQ(running["state"], "running");
  EXPECT_EQ(running["service_pack"]["version"], "9");
  const json ended = json::parse(written[1].substr(written[1].find(' ')));
  EXPECT_EQ(ended["state"], "ended");
  EXPECT_EQ(ended["exit_status"], kExitAborted);
  EXPECT_EQ(ended["log"], nullptr);  // ended before start-up found the log

  // A report that cannot be written is one line, and the end is the same.
  ReportAtEnd failing(
      "C:\\r.json", {}, code_page, profiles, inner,
      [](const std::string&, const std::string&) { return "disk full"; },
      errors);
  ReportingWindow failing_window(inner, failing);
  EXPECT_THROW(failing_window.EndProgram(kExitLatchSet), ProgramEnded);
  EXPECT_EQ(inner.ended_with, kExitLatchSet);
  EXPECT_EQ(errors.str(), "rolvex: report not written: disk full\n");
}

}  // namespace
}  // namespace rolvex
