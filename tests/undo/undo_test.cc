// A run's changes kept by the journaling parts over the real POSIX layer,
// then taken back by the undo: the PC as it was, or what another program
// changed since left alone and reported.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "fakes/fake_processes.h"
#include "platform/journal/journal_format.h"
#include "platform/journal/journaling_parts.h"
#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_profile_store.h"
#include "platform/posix/posix_restart_scheduler.h"
#include "platform/posix/posix_temp_prefix.h"
#include "undo/undo_journal.h"
#include "undo/undo_run.h"

namespace rolvex {
namespace {

TEST(JournalFormat, FieldsComeBackAsWrittenAndATornLastLineIsLeftOut) {
  const JournalRecord record{"entry", "C:\\a\tb", "S\r\n", "k\\t", ""};
  const std::string text =
      FormatJournalRecord(record) + "\r\n" + FormatJournalRecord({"end", "0"});
  const auto records = ParseJournal(text);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], record);
}

class UndoTest : public ::testing::Test {
 protected:
  UndoTest() {
    Write("App/old.dll", "old component", 1000);
    Write("App/gone.ttf", "old font", 1000);
    Write("App/locked.sys", "old system file", 1000);
    Write("App/app.ini", "[A]\r\nk=old\r\nkeep=1\r\n", 1000);
    files.SetAttr("C:\\App\\old.dll", kAttrReadOnly);
    Write("SP/new.dll", "new component", 2000);
    Write("SP/locked.sys", "new system file", 2000);
  }
  std::string C(const std::string& relative) const {
    return temp.drive_c() + "/" + relative;
  }
  void Write(const std::string& relative, const std::string& text,
             time_t modified) {
    std::filesystem::create_directories(
        std::filesystem::path(C(relative)).parent_path());
    TempPrefix::Write(C(relative), text);
    struct timespec times[2] = {{modified, 0}, {modified, 0}};
    utimensat(AT_FDCWD, C(relative).c_str(), times, 0);
  }
  // What a snapshot compares of the PC: names, contents, times, attributes.
  std::string Snapshot() {
    std::string out;
    for (const auto& e :
         std::filesystem::recursive_directory_iterator(temp.drive_c())) {
      const std::string rel = e.path().string().substr(temp.drive_c().size());
      if (rel.rfind("/Backup", 0) == 0) continue;
      out += rel;
      if (e.is_regular_file()) {
        struct stat st;
        stat(e.path().c_str(), &st);
        out += " " + TempPrefix::Read(e.path().string()) + " " +
               std::to_string(st.st_mtime) + " " +
               std::to_string(files.GetAttr("C:" + rel));
      }
      out += "\n";
    }
    return out + TempPrefix::Read(restarts.list_path());
  }
  // A run through the journaling parts: a component replaced, a folder and
  // a file made, a font deleted, ini entries written, a file to replace at
  // the restart.
  void Run() {
    Journal journal(files, "C:\\Backup", [] { return 1800000000; });
    JournalingFileSystem jf(files, journal);
    JournalingProfileStore jp(profiles, journal);
    JournalingProcessRunner jr(processes, journal);
    JournalingRestartScheduler js(restarts, journal);
    jr.Start("RegSvr32 /u /s C:\\App\\old.dll");
    jf.SetAttr("C:\\App\\old.dll", kAttrNormal);
    jf.FileCopy("C:\\SP\\new.dll", "C:\\App\\old.dll");
    jr.Start("RegSvr32 /s C:\\App\\old.dll");
    jf.MkDir("C:\\App\\Sub");
    jf.FileCopy("C:\\SP\\new.dll", "C:\\App\\Sub\\added.dll");
    jf.Kill("C:\\App\\gone.ttf");
    jp.WriteString("A", "k", "new", "C:\\App\\app.ini");
    jp.WriteString("B", "added", "x", "C:\\App\\app.ini");
    const std::string staged =
        jf.StageForRestart("C:\\SP\\locked.sys", "C:\\App\\locked.sys");
    js.ReplaceAtRestart(staged, "C:\\App\\locked.sys");
    journal.Close(0);
    folder = journal.folder();
    processes.started.clear();
  }
  bool Undo() {
    std::string text;
    files.ReadContent(folder + "\\journal.txt",
                      [&](const char* d, std::size_t n) { text.append(d, n); });
    RunReport report;
    UndoRun undo({files, profiles, processes, restarts, clock}, report,
                 [](const std::string&) {});
    undo.Undo(folder, *ReadUndoJournal(text));
    return !report.failed();
  }

  TempPrefix temp;
  DriveModel drives{temp.path()};
  PosixFileSystem files{drives};
  PosixProfileStore profiles{drives};
  FakeProcessRunner processes;
  PosixRestartScheduler restarts{drives};
  FakeClock clock;
  std::string folder;
};

TEST_F(UndoTest, PutsThePcBackAsItWas) {
  const std::string before = Snapshot();
  Run();
  EXPECT_NE(Snapshot(), before);
  EXPECT_TRUE(Undo());
  EXPECT_EQ(Snapshot(), before);
  // The new component unregistered, the old one registered again.
  EXPECT_EQ(processes.started,
            (std::vector<std::string>{"RegSvr32 /u /s C:\\App\\old.dll",
                                      "RegSvr32 /s C:\\App\\old.dll"}));
}

TEST_F(UndoTest, WhatChangedSinceIsLeftAloneAndTheRestUndone) {
  Run();
  Write("App/Sub/added.dll", "changed by someone", 3000);
  profiles.WriteString("A", "keep", "2", "C:\\App\\app.ini");
  EXPECT_FALSE(Undo());
  EXPECT_EQ(TempPrefix::Read(C("App/Sub/added.dll")), "changed by someone");
  // The run's own entry back, the other program's kept, the added key too.
  EXPECT_EQ(profiles.GetString("A", "k", "", 99, "C:\\App\\app.ini"), "old");
  EXPECT_EQ(profiles.GetString("A", "keep", "", 99, "C:\\App\\app.ini"), "2");
  EXPECT_EQ(TempPrefix::Read(C("App/old.dll")), "old component");
  EXPECT_EQ(TempPrefix::Read(C("App/gone.ttf")), "old font");
}

TEST_F(UndoTest, ARunCutOffIsUndoneFromItsRecordsAlone) {
  const std::string before = Snapshot();
  Run();
  // As a kill leaves it: no record of what was left, no end.
  std::string kept;
  for (const JournalRecord& r : ParseJournal(TempPrefix::Read(
           temp.path() + "/drive_c/Backup/" +
           folder.substr(folder.rfind('\\') + 1) + "/journal.txt"))) {
    if (r[0] != "left" && r[0] != "end")
      kept += FormatJournalRecord(r) + "\r\n";
  }
  TempPrefix::Write(temp.drive_c() + "/Backup/" +
                        folder.substr(folder.rfind('\\') + 1) + "/journal.txt",
                    kept);
  EXPECT_TRUE(Undo());
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace rolvex
