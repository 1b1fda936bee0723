#include "reporting/run_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>

#include "fakes/fake_settings.h"
#include "fakes/recording_window.h"
#include "platform/exit_status.h"
#include "reporting/report_at_end.h"
#include "reporting/run_report_json.h"

namespace rolvex {
namespace {

using nlohmann::json;

// A folder of its own below the system's temporary folder, for one test.
class TempFolder {
 public:
  TempFolder() {
    path_ = std::filesystem::temp_directory_path() /
            ("rolvex-report-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const {
    return (path_ / name).string();
  }

 private:
  std::filesystem::path path_;
};

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

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
  report.BeginPass("Standard");
  report.BeginEntry();
  report.SetPlaces("C:\\SP\\Standard\\gr\xFC\xDF.txt", "C:\\gr\xFC\xDF.txt");
  report.SetAction(ReportAction::kReplaced);
  report.SetTimes(951782400, std::nullopt);
  report.Fail(RunError(70, "Permission denied", "Rolvex"),
              ReportOutcome::kIgnored);
  report.NoteRetry();
  report.BeginPass("Ini");
  report.BeginEntry();
  report.SetPlaces("C:\\SP\\Ini\\a.ini", "C:\\a.ini");
  report.AddIniValue({"S", "K", std::nullopt, "\xC3\xA4"});  // already UTF-8
  report.EndEntry();

  const json out = json::parse(
      RunReportJson(report, {.exit_status = 3010,
                             .service_pack_folder = "C:\\ServicePacks",
                             .service_pack_version = "7.1",
                             .started = 0,
                             .ended = -1,
                             .preview = true,
                             .interrupted_by = ""}));
  EXPECT_EQ(out["format"], 1);
  EXPECT_EQ(out["preview"], true);
  EXPECT_EQ(out["exit_status"], 3010);
  EXPECT_EQ(out["restart_required"], true);
  EXPECT_EQ(out["service_pack"],
            json({{"folder", "C:\\ServicePacks"}, {"version", "7.1"}}));
  EXPECT_EQ(out["started"], "1970-01-01T00:00:00Z");
  EXPECT_EQ(out["ended"], "1969-12-31T23:59:59Z");
  EXPECT_EQ(out["log"], "C:\\QueltServicePack.log");
  EXPECT_EQ(out["counts"]["Standard"],
            json::parse(R"({"entries":1,"ok":0,"failed":0,"ignored":1,)"
                        R"("aborted":0,"actions":{"replaced":1}})"));
  EXPECT_EQ(out["counts"]["Register"]["entries"], 0);
  EXPECT_EQ(out["counts"]["total"]["entries"], 2);

  const json& file = out["entries"][0];
  EXPECT_EQ(file["pass"], "Standard");
  // Latin-1 bytes arrive as their characters.
  EXPECT_EQ(file["target"], "C:\\gr\xC3\xBC\xC3\x9F.txt");
  EXPECT_EQ(file["action"], "replaced");
  EXPECT_EQ(file["outcome"], "ignored");
  EXPECT_EQ(file["source_time"], "2000-02-29T00:00:00Z");
  EXPECT_FALSE(file.contains("target_time"));
  EXPECT_EQ(file["error"], json({{"number", 70},
                                 {"description", "Permission denied"},
                                 {"source", "Rolvex"}}));
  EXPECT_EQ(file["retries"], 1);
  const json& ini = out["entries"][1];
  EXPECT_EQ(ini["action"], "merged");
  EXPECT_EQ(ini["section"], "S");
  EXPECT_EQ(ini["old_value"], nullptr);
  EXPECT_EQ(ini["value"], "\xC3\xA4");
  EXPECT_FALSE(ini.contains("error"));
}

TEST(RunReportTest, AFileIsReplacedWholeOrNotAtAll) {
  TempFolder folder;
  const std::string path = folder.File("report.json");
  EXPECT_EQ(WriteFileAtomically(path, "first"), "");
  EXPECT_EQ(WriteFileAtomically(path, "second"), "");
  EXPECT_EQ(Read(path), "second");
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

  const std::string nowhere = folder.File("missing") + "/report.json";
  EXPECT_NE(WriteFileAtomically(nowhere, "x"), "");
  EXPECT_FALSE(std::filesystem::exists(folder.File("missing")));
}

TEST(RunReportTest, EndingTheProgramWritesTheReportOnceThenEnds) {
  TempFolder folder;
  RunReport report;
  MemoryProfileStore profiles;
  profiles.Set("C:\\ServicePacks\\Rolvex.ini", "ServicePack", "Version", "9");
  RecordingWindow inner;
  std::ostringstream errors;
  const std::string path = folder.File("report.json");
  ReportAtEnd at_end(path, profiles, inner, errors);
  at_end.Attach(report);
  ReportingWindow window(inner, at_end);

  EXPECT_EQ(window.ProgramDirectory(), "C:\\ServicePacks");
  try {
    window.EndProgram(kExitAborted);
    FAIL() << "EndProgram returned";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.exit_status, kExitAborted);
  }
  at_end.Write(kExitCompleted);
  const json out = json::parse(Read(path));
  EXPECT_EQ(out["exit_status"], kExitAborted);
  EXPECT_EQ(out["preview"], false);
  EXPECT_EQ(out["service_pack"]["version"], "9");
  EXPECT_EQ(out["log"], nullptr);  // ended before start-up found the log
  EXPECT_EQ(errors.str(), "");

  // A report that cannot be written is one line, and the end is the same.
  ReportAtEnd failing(folder.File("missing") + "/r.json", profiles, inner,
                      errors);
  ReportingWindow failing_window(inner, failing);
  EXPECT_THROW(failing_window.EndProgram(kExitLatchSet), ProgramEnded);
  EXPECT_EQ(inner.ended_with, kExitLatchSet);
  const std::string told = errors.str();
  EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1);
}

}  // namespace
}  // namespace rolvex
