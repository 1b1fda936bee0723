// The passes over the real POSIX file layer and profile store in a throw-away
// prefix: the failures a real machine produces, not the ones a fake imitates.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "fakes/fake_parts.h"
#include "passes/dated_copy.h"
#include "passes/ini_pass.h"
#include "passes/standard_pass.h"
#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_profile_store.h"
#include "platform/posix/posix_temp_prefix.h"
#include "platform/run_error.h"
#include "settings/directory_parameters.h"
#include "shell/installer.h"

namespace rolvex {
namespace {

class PosixPassesTest : public ::testing::Test {
 protected:
  PosixPassesTest() {
    state.program_dir = "C:\\SP";
    state.language = "Deutsch";
    state.log_file_path = "C:\\Log.txt";
    SetDefaultDirectoryParameters(state);
    window.rec(ControlId::kFrageLabel).width = 1e7f;
    Write("SP/Rolvex.txt",
          "[Deutsch]\r\n14=Fehler\r\n16=Ordner\r\n17=Kopie\r\n19=Eintrag\r\n"
          "20=S:\r\n21=K:\r\n22=W:\r\n28=Bleibt\r\n30=Attribut\r\n");
    std::filesystem::create_directories(C("Windows/Fonts"));
  }

  // Host path below drive C:.
  std::string C(const std::string& relative) const {
    return temp.drive_c() + "/" + relative;
  }
  void Write(const std::string& relative, const std::string& text,
             time_t modified = 1000000000) {
    std::filesystem::create_directories(
        std::filesystem::path(C(relative)).parent_path());
    TempPrefix::Write(C(relative), text);
    struct timespec times[2] = {{modified, 0}, {modified, 0}};
    utimensat(AT_FDCWD, C(relative).c_str(), times, 0);
  }
  std::string Read(const std::string& relative) {
    return TempPrefix::Read(C(relative));
  }
  bool Exists(const std::string& relative) {
    return std::filesystem::exists(C(relative));
  }
  std::vector<std::string> Log() {
    std::vector<std::string> lines;
    const std::string text = Read("Log.txt");
    for (size_t start = 0, end;
         (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
  void SetParameter(const std::string& name, const std::string& value) {
    for (int row = 1; row <= DirectoryParameters::kRows; ++row) {
      if (state.parameters.row(row).name == name) {
        state.parameters.row(row).value = value;
      }
    }
  }

  TempPrefix temp;
  DriveModel drives{temp.path()};
  PosixFileSystem posix{drives};
  FaultyFileSystem files{posix};
  PosixProfileStore profiles{drives};
  // The parts around the files and ini files.
  FakeParts fake;
  RecordingWindow& window = fake.window;
  FakeClock& clock = fake.clock;
  Installer installer{fake.With(profiles, fake.environment, files, window)};
  PassState& state = installer;
};

TEST_F(PosixPassesTest, AReadOnlyOlderTargetIsReplacedAndLeftWritable) {
  Write("SP/Standard/Tools/a.txt", "new", 2000000000);
  Write("Tools/a.txt", "old", 1000000000);
  chmod(C("Tools/a.txt").c_str(), 0444);
  StandardKopieren(state, "T");
  EXPECT_EQ(Read("Tools/a.txt"), "new");
  EXPECT_EQ(posix.GetAttr("C:\\Tools\\a.txt") & kAttrReadOnly, 0);
  EXPECT_TRUE(window.message_boxes.empty());
  EXPECT_EQ(state.run_report.failures(), 0);
}

TEST_F(PosixPassesTest, ASourceThatVanishesDuringThePassIsReportedByABox) {
  Write("SP/Standard/gone.txt", "x");
  // The first round of events comes after the listing, before the copy.
  window.SetClickHandler(
      [&](int) { std::filesystem::remove(C("SP/Standard/gone.txt")); });
  window.QueueClick(0);
  StandardKopieren(state, "T");
  ASSERT_EQ(window.message_boxes.size(), 2u);
  EXPECT_EQ(window.message_boxes[0].text,
            "'C:\\SP\\Standard\\gone.txt' nicht vorhanden");
  // Making the target normal fails: nothing was copied there.
  EXPECT_EQ(window.message_boxes[1].title, "Error");
  EXPECT_FALSE(Exists("gone.txt"));
}

TEST_F(PosixPassesTest, AFolderAtTheTargetIsKeptOrRefusedButNeverReplaced) {
  Write("SP/Standard/x.txt", "file", 2000000000);
  std::filesystem::create_directories(C("x.txt/inner"));
  StandardKopieren(state, "T");
  EXPECT_EQ(Log()[0].rfind("Fehler Number:53;", 0), 0u) << Log()[0];
  EXPECT_EQ(Log()[1].rfind("Bleibt ", 0), 0u);

  state.all_data_equal = true;
  window.answers = {kAnswerIgnore, kAnswerIgnore, kAnswerIgnore};
  StandardKopieren(state, "T");
  EXPECT_TRUE(std::filesystem::is_directory(C("x.txt/inner")));
  ASSERT_FALSE(window.message_boxes.empty());
  EXPECT_NE(window.message_boxes[0].text.find("Number:75"), std::string::npos);
}

TEST_F(PosixPassesTest, APlaceholderFolderWhoseParentIsMissingIsReported) {
  SetParameter("WinDir", "C:\\Deep\\Windows");
  Write("SP/Standard/$WinDir$/w.txt", "w");
  StandardKopieren(state, "T");
  EXPECT_EQ(Log()[0], "Ordner C:\\Deep\\Windows");
  EXPECT_EQ(Log()[1].rfind("Fehler Number:76;", 0), 0u) << Log()[1];
  EXPECT_NE(Log()[1].find(" 'C:\\SP'; Source:"), std::string::npos);
  EXPECT_FALSE(Exists("Deep"));
}

TEST_F(PosixPassesTest, AllDataEqualReplacesANewerTarget) {
  Write("SP/Standard/a.txt", "new", 1000000000);
  Write("a.txt", "newer on the PC", 2000000000);
  state.all_data_equal = true;
  StandardKopieren(state, "T");
  EXPECT_EQ(Read("a.txt"), "new");
}

TEST_F(PosixPassesTest, FontsAreReplacedWhateverTheDatesUnlessHidden) {
  Write("SP/Standard/$WinDir$/Fonts/Sans.TTF", "new", 1000000000);
  Write("SP/Standard/$WinDir$/Fonts/.hidden.ttf", "new", 1000000000);
  Write("Windows/Fonts/sans.ttf", "old", 2000000000);
  Write("Windows/Fonts/.hidden.ttf", "old", 2000000000);
  StandardKopieren(state, "T");
  // Found without regard to case, deleted, copied afresh under the name
  // the service pack gives it.
  EXPECT_FALSE(Exists("Windows/Fonts/sans.ttf"));
  EXPECT_EQ(Read("Windows/Fonts/Sans.TTF"), "new");
  // A dot-named file is hidden: the lookup with mask 0 misses it, and the
  // date check keeps the newer one.
  EXPECT_EQ(Read("Windows/Fonts/.hidden.ttf"), "old");
}

TEST_F(PosixPassesTest, ALinkInTheTreeIsListedButNotFollowed) {
  Write("SP/Standard/a.txt", "a");
  Write("SP/Standard/Sub/b.txt", "b");
  ASSERT_EQ(symlink("..", C("SP/Standard/Sub/loop").c_str()), 0);
  StandardKopieren(state, "T");
  // The link is a folder entry of its own and is not entered: the listing
  // ends, and the rest of the tree is installed.
  EXPECT_EQ(Read("a.txt"), "a");
  EXPECT_EQ(Read("Sub/b.txt"), "b");
  EXPECT_TRUE(Exists("Sub/loop"));
  EXPECT_FALSE(Exists("Sub/loop/Sub"));
  EXPECT_TRUE(window.message_boxes.empty());
}

TEST_F(PosixPassesTest, ALockedTargetIsRetriedThenAskedAbout) {
  Write("SP/Standard/Tools/a.txt", "new", 2000000000);
  Write("Tools/a.txt", "old", 1000000000);
  const int fd = open(C("Tools/a.txt").c_str(), O_RDONLY);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  window.answers = {kAnswerIgnore};
  StandardKopieren(state, "T");
  close(fd);
  EXPECT_EQ(clock.sleeps.size(), 5u);
  ASSERT_EQ(window.message_boxes.size(), 1u);
  EXPECT_NE(window.message_boxes[0].text.find("Number:70"), std::string::npos);
  EXPECT_EQ(Read("Tools/a.txt"), "old");
}

TEST_F(PosixPassesTest, IniEntriesAreMergedIntoTheExistingFileInPlace) {
  Write("SP/Ini/Computer.ini",
        "[General]\r\nSpeed = 100\r\nPos=10,20\r\n[New]\r\nk=v\r\n");
  Write("Computer.ini", "; mine\r\n[General]\r\nSpeed=1\r\nKeep=me\r\n");
  IniKopieren(state, "T");
  EXPECT_EQ(Read("Computer.ini"),
            "; mine\r\n[General]\r\nSpeed=100\r\nKeep=me\r\nPos=10\r\n"
            "[New]\r\nk=v\r\n");
  EXPECT_EQ(Log()[0], "Eintrag S:General K:Speed  W: 100 -> C:\\Computer.ini");
}

TEST_F(PosixPassesTest, JunkAndHugeLinesInAnIniSourceAreMergedWithoutHarm) {
  std::string junk = "[S]\r\nk=v\r\n";
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 37) % 256);
  junk += "\r\n[T]\r\nlong=" + std::string(1 << 20, 'x') + "\r\nend=1\r\n";
  Write("SP/Ini/J.ini", junk);
  Write("J.ini", "[S]\r\nk=old\r\n");
  IniKopieren(state, "T");
  EXPECT_EQ(profiles.GetString("S", "k", "", 255, "C:\\J.ini"), "v");
  EXPECT_EQ(profiles.GetString("T", "end", "", 255, "C:\\J.ini"), "1");
}

TEST_F(PosixPassesTest, AnUnreadableIniSourceIsReportedAndTheTargetKept) {
  Write("SP/Ini/U.ini", "[S]\r\nk=v\r\n");
  Write("U.ini", "[S]\r\nk=old\r\n");
  chmod(C("U.ini").c_str(), 0644);
  if (geteuid() == 0) {
    // Root reads whatever the permissions say: make the open fail instead.
    files.Fail("OpenForInput", "U.ini", kErrPermissionDenied);
  } else {
    chmod(C("SP/Ini/U.ini").c_str(), 0);
  }
  IniKopieren(state, "T");
  ASSERT_EQ(window.message_boxes.size(), 1u);
  EXPECT_EQ(window.message_boxes[0].text.rfind("Fehler Number:70;", 0), 0u);
  EXPECT_EQ(Read("U.ini"), "[S]\r\nk=old\r\n");
}

}  // namespace
}  // namespace rolvex
