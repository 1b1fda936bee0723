// The record of whole runs over the memory fakes: every decision of the
// passes arrives in it, and the exit status is read from it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/installer_rig.h"
#include "reporting/run_report.h"
#include "shell/installation.h"

namespace rolvex {
namespace {

// A pack with one of each decision; the operator answers `answers`.
struct ReportRun {
  explicit ReportRun(std::deque<int> answers,
                     std::vector<std::string> failing_inis = {}) {
    MemoryFileSystem& m = rig.memory;
    m.AddFolder("C:\\Windows\\Fonts");
    m.AddFolder("C:\\Windows\\System32");
    m.AddFile("C:\\SP\\Standard\\Tools\\a.txt", "a", 5);
    m.AddFile("C:\\SP\\Standard\\b.txt", "b", 9);
    m.AddFile("C:\\b.txt", "old", 1);
    m.AddFile("C:\\SP\\Standard\\c.txt", "c", 1);
    m.AddFile("C:\\c.txt", "newer", 9);
    m.AddFile("C:\\SP\\Standard\\d.txt", "d", 9);
    m.AddFile("C:\\d.txt", "old", 1).locked = true;
    m.AddFile("C:\\SP\\Standard\\$WinDir$\\Fonts\\X.TTF", "font", 1);
    m.AddFile("C:\\Windows\\Fonts\\X.TTF", "old", 9);
    m.AddFile("C:\\SP\\Standard\\$WinDir$\\System32\\s.dll", "s", 9);
    m.AddFile("C:\\Windows\\System32\\s.dll", "old", 1).locked = true;
    m.AddFile("C:\\SP\\Register\\r.dll", "r", 5);
    m.AddFile("C:\\SP\\Ini\\new.ini", "[S]\r\nK=1\r\n", 5);
    m.AddFile("C:\\SP\\Ini\\m.ini", "[S]\r\nK=new\r\nL=2\r\n", 5);
    rig.profiles.Set("C:\\m.ini", "S", "K", "old");
    m.AddFile("C:\\m.ini", "", 1);
    rig.window.answers = std::move(answers);
    rig.profiles.failing_files = std::move(failing_inis);
    try {
      Installation(rig.installer, "Taste_Click");
    } catch (const ProgramEnded& end) {
      exit_status = end.exit_status;
    }
  }
  // One line per entry: action, outcome, target.
  std::vector<std::string> Summary() const {
    std::vector<std::string> lines;
    for (const ReportEntry& e : report.entries()) {
      std::string line = e.pass + " " + ActionName(e.action) + " " +
                         OutcomeName(e.outcome) + " " + e.target;
      if (e.copy != ReportAction::kNone)
        line += " copy:" + std::string(ActionName(e.copy));
      if (e.ini) line += " " + e.ini->key + "=" + e.ini->value;
      lines.push_back(line);
    }
    return lines;
  }
  InstallerRig rig;
  const RunReport& report = rig.installer.run_report;
  int exit_status = -1;
};

TEST(InstallationReportTest, EveryDecisionOfTheRunIsInTheReport) {
  ReportRun run({kAnswerRetry, kAnswerIgnore});
  EXPECT_EQ(run.exit_status, kExitCompletedWithFailures);
  EXPECT_EQ(run.Summary(),
            (std::vector<std::string>{
                "Standard replaced ok C:\\b.txt",
                "Standard kept ok C:\\c.txt",
                "Standard replaced ignored C:\\d.txt",
                "Standard folder-created ok C:\\Tools",
                "Standard new ok C:\\Tools\\a.txt",
                "Standard font-replaced ok C:\\Windows\\Fonts\\X.TTF",
                "Standard scheduled-at-restart ok "
                "C:\\Windows\\System32\\s.dll",
                "Register registered ok C:\\r.dll copy:new",
                "Ini merged ok C:\\m.ini K=new",
                "Ini merged ok C:\\m.ini L=2",
                "Ini copied-whole ok C:\\new.ini",
            }));
  const auto& entries = run.report.entries();
  EXPECT_EQ(entries[0].source, "C:\\SP\\Standard\\b.txt");
  EXPECT_EQ(entries[0].source_time, 9);
  EXPECT_EQ(entries[0].target_time, 1);
  EXPECT_EQ(entries[2].retries, 1);
  EXPECT_EQ(entries[2].error->number, kErrPermissionDenied);
  EXPECT_TRUE(run.report.restart_required());
  ASSERT_EQ(entries[7].commands.size(), 2u);
  EXPECT_EQ(entries[7].commands[0].line, "RegSvr32 /u /s C:\\r.dll");
  EXPECT_EQ(entries[7].commands[1].line, "RegSvr32 /s C:\\r.dll");
  EXPECT_EQ(entries[7].commands[1].exit_code, 0);
  EXPECT_EQ(entries[8].ini->old_value, "old");
  EXPECT_EQ(entries[9].ini->old_value, std::nullopt);
}

// A refused ini write is logged as written, as a refused profile write is,
// but the record has it failed: the exit status and the report agree.
TEST(InstallationReportTest, ARefusedIniWriteIsAFailedEntry) {
  ReportRun run({kAnswerIgnore}, {"C:\\M.INI"});
  EXPECT_EQ(run.exit_status, kExitCompletedWithFailures);
  const ReportEntry& k = run.report.entries()[8];
  EXPECT_EQ(k.ini->key, "K");
  EXPECT_FALSE(k.ini->written);
  EXPECT_EQ(k.outcome, ReportOutcome::kFailed);
  EXPECT_EQ(k.error->number, kErrPathFileAccess);
  EXPECT_EQ(run.rig.profiles.Get("C:\\m.ini", "S", "K"), "old");
}

TEST(InstallationReportTest, AnAbortLeavesItsEntryLastAndAborted) {
  ReportRun run({kAnswerAbort});
  EXPECT_EQ(run.exit_status, kExitAborted);
  const ReportEntry& last = run.report.entries().back();
  EXPECT_EQ(last.target, "C:\\d.txt");
  EXPECT_EQ(last.outcome, ReportOutcome::kAborted);
  EXPECT_EQ(last.error->number, kErrPermissionDenied);
}

}  // namespace
}  // namespace rolvex
