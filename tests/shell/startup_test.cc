// The load event: cancel latch, settings, layout per mode, show, version
// hand-over and the start of the unattended run.
#include "shell/startup.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "passes/pass_state.h"
#include "shell/startup_rig.h"

namespace rolvex {
namespace {

using startup_testing::StartupRig;

const char kMachineIni[] = "C:\\ServicePack.ini";

class FormLoadTest : public ::testing::Test {
 protected:
  RecordingControl& rec(ControlId id) { return rig.rec(id); }
  const std::vector<MemoryProfileStore::Write>& Writes() {
    return rig.profiles.writes;
  }

  StartupRig rig;
};

TEST_F(FormLoadTest, SetCancelLatchEndsSilentlyBeforeAnythingElse) {
  for (const char* value : {"True", "TRUE", "true"}) {
    StartupRig latched;
    latched.profiles.Set(kMachineIni, "General", "CancelSP", value);
    latched.window.command_line = "2";  // not even an unattended run starts

    EXPECT_EQ(latched.Load(), kExitLatchSet) << value;
    EXPECT_FALSE(latched.window.shown);
    EXPECT_TRUE(latched.window.calls.empty());
    EXPECT_EQ(latched.window.do_events_count, 0);
    EXPECT_TRUE(latched.Log().empty());
    EXPECT_TRUE(latched.profiles.writes.empty());
    EXPECT_TRUE(latched.installer.cancel_sp);
    EXPECT_EQ(latched.installer.log_file_path, "");
  }
}

TEST_F(FormLoadTest, LatchSetBackToAnythingButTrueStartsNormally) {
  for (const char* value : {"False", "", "1", "-1", "yes", "True2"}) {
    StartupRig rig;
    rig.profiles.Set(kMachineIni, "General", "CancelSP", value);
    EXPECT_FALSE(rig.Load().has_value()) << value;
    EXPECT_TRUE(rig.window.shown) << value;
    EXPECT_FALSE(rig.installer.cancel_sp);
  }
}

TEST_F(FormLoadTest, InteractiveModeWaitsWithTextsAndButtonsFromTheIni) {
  rig.window.program_directory = "E:\\Pack";
  const std::string ini = "E:\\Pack\\Rolvex.ini";
  rig.profiles.Set(ini, "Intern", "Text1", "Service Pack 7");
  rig.profiles.Set(ini, "Intern", "Text2", "for the visualisation");
  rig.profiles.Set(ini, "Intern", "Text3", "Please start");
  rig.profiles.Set(ini, "Intern", "OK", "Start");
  rig.profiles.Set(ini, "Intern", "ESC", "Exit");
  rig.profiles.Set(ini, "Intern", "Sprache", "Deutsch");

  EXPECT_FALSE(rig.Load().has_value());

  EXPECT_EQ(rig.installer.program_dir, "E:\\Pack");
  EXPECT_EQ(rig.installer.language, "Deutsch");
  EXPECT_EQ(rec(ControlId::kLabel1).caption, "Service Pack 7");
  EXPECT_EQ(rec(ControlId::kLabel2).caption, "for the visualisation");
  EXPECT_EQ(rec(ControlId::kLabel3).caption, "Please start");
  EXPECT_EQ(rec(ControlId::kTaste0).caption, "Start");
  EXPECT_EQ(rec(ControlId::kTaste1).caption, "Exit");
  for (ControlId id :
       {ControlId::kHinterGrund, ControlId::kFrageLabel, ControlId::kLabel1,
        ControlId::kLabel2, ControlId::kLabel3, ControlId::kTaste0,
        ControlId::kTaste1}) {
    EXPECT_TRUE(rec(id).visible) << static_cast<int>(id);
  }
  EXPECT_FALSE(rec(ControlId::kBalkenPicture).visible);
  EXPECT_EQ(rig.window.calls,
            (std::vector<std::string>{"BringToFront", "Show"}));
  EXPECT_EQ(rig.window.do_events_count, 2);
  EXPECT_EQ(rig.window.left, 0);
  EXPECT_EQ(rig.window.top, 0);
  // The status label and the bar stand in the right-hand column.
  EXPECT_EQ(rec(ControlId::kBalkenPicture).left, 11460);
  EXPECT_EQ(rec(ControlId::kBalkenPicture).top, 1350);
}

TEST_F(FormLoadTest, MissingProgramIniLeavesEmptyCaptionsButWorkingButtons) {
  EXPECT_FALSE(rig.Load().has_value());
  EXPECT_EQ(rig.installer.language, "");
  EXPECT_EQ(rec(ControlId::kLabel1).caption, "");
  EXPECT_EQ(rec(ControlId::kTaste0).caption, "");
  EXPECT_EQ(rec(ControlId::kTaste1).caption, "");
  EXPECT_TRUE(rec(ControlId::kTaste0).visible);
  EXPECT_TRUE(rec(ControlId::kTaste1).visible);

  // The exit button is wired to the run's click handler.
  try {
    rig.window.Click(1);
    FAIL() << "the exit button must end the program";
  } catch (const ProgramEnded& end) {
    EXPECT_EQ(end.exit_status, kExitByExitButton);
  }
}

TEST_F(FormLoadTest, FlagsDirectoriesAndLogPathComeFromIniAndEnvironment) {
  rig.profiles.Set(kMachineIni, "General", "AllDataEqual", "true");
  rig.environment.Set("VISUDIR", "D:\\Visu");
  rig.environment.Set("ServicePack_Log", "$VisuDir$\\Logs\\sp.log");
  rig.profiles.Set("D:\\Visu\\Paramter\\Program.ini", "Project", "VWStudio",
                   "True");

  EXPECT_FALSE(rig.Load().has_value());

  EXPECT_TRUE(rig.installer.all_data_equal);
  EXPECT_TRUE(rig.installer.vw_studio);
  EXPECT_EQ(rig.installer.log_file_path, "D:\\Visu\\Logs\\sp.log");
  const DirectoryParameters& p = rig.installer.parameters;
  EXPECT_EQ(p.row(1).name, "WinDir");
  EXPECT_EQ(p.row(1).value, "C:\\Windows");
  EXPECT_EQ(p.row(4).name, "VisuDir");
  EXPECT_EQ(p.row(4).value, "D:\\Visu");
  EXPECT_EQ(p.row(11).name, "BrandChangeDir");
  EXPECT_EQ(p.row(12).name, "");
}

TEST_F(FormLoadTest, DefaultsWithoutIniOrEnvironment) {
  EXPECT_FALSE(rig.Load().has_value());
  EXPECT_FALSE(rig.installer.all_data_equal);
  EXPECT_FALSE(rig.installer.vw_studio);
  EXPECT_EQ(rig.installer.log_file_path, "C:\\QueltServicePack.log");
  EXPECT_EQ(rig.installer.parameters.row(9).value, "C:\\QueltServicePack.log");
}

TEST_F(FormLoadTest, UnattendedFullScreenHidesTheButtonsAndRunsAtOnce) {
  rig.window.command_line = "2";
  const std::string ini = "C:\\ServicePacks\\Rolvex.ini";
  rig.profiles.Set(ini, "Intern", "Text1", "Service Pack 7");
  rig.profiles.Set(ini, "Intern", "OK", "Start");
  rig.profiles.Set(ini, "Intern", "Sprache", "English");
  rig.profiles.Set("C:\\ServicePacks\\Rolvex.txt", "English", "1",
                   "Installing files");

  EXPECT_TRUE(rig.Load().has_value());

  EXPECT_EQ(rec(ControlId::kLabel1).caption, "Service Pack 7");
  EXPECT_TRUE(rec(ControlId::kLabel1).visible);
  EXPECT_TRUE(rec(ControlId::kHinterGrund).visible);
  EXPECT_FALSE(rec(ControlId::kTaste0).visible);
  EXPECT_FALSE(rec(ControlId::kTaste1).visible);
  // Button captions are not even read in this mode.
  EXPECT_EQ(rec(ControlId::kTaste0).caption, "Start Service Pack ");
  EXPECT_EQ(rec(ControlId::kLabel1).font_size, 14);
  EXPECT_FALSE(rig.window.topmost.has_value());
  // The run began after the log path and the language were set.
  ASSERT_FALSE(rig.Log().empty());
  EXPECT_EQ(rig.Log().front(), "Installing files");
  // A run is on: the session's end is refused meanwhile; somebody could
  // answer a box (nothing said otherwise).
  EXPECT_TRUE(rig.window.run_in_progress);
  EXPECT_FALSE(rig.window.unattended);
}

TEST_F(FormLoadTest, AnAgentThatSaysNobodyIsThereGetsNoBoxes) {
  for (const char* value : {"1", "0", "yes"}) {
    StartupRig rig;
    rig.environment.Set("rolvex_unattended", value);
    rig.Load();
    EXPECT_EQ(rig.window.unattended, std::string(value) == "1") << value;
  }
}

struct PanelCase {
  float width_px, height_px;
  int x, y, cx, cy;  // SetWindowPos, pixels
  float label_top;   // FrageLabel keeps its designed place, scaled
};

class PanelTest : public ::testing::TestWithParam<PanelCase> {};

TEST_P(PanelTest, SmallTopmostPanelAtTheScaledPosition) {
  const PanelCase& c = GetParam();
  StartupRig rig;
  rig.SetScreen(c.width_px, c.height_px);
  rig.window.command_line = "1";

  EXPECT_TRUE(rig.Load().has_value());  // the run ends the program

  const ScreenMetrics& m = rig.installer.metrics;
  EXPECT_EQ(rig.window.width, m.width_scale * 3600);
  EXPECT_EQ(rig.window.height, m.height_scale * 3510);
  EXPECT_EQ(rig.window.left, m.width_scale * 11460);
  EXPECT_EQ(rig.window.top, m.height_scale * 1350);
  ASSERT_TRUE(rig.window.topmost.has_value());
  EXPECT_EQ(rig.window.topmost->x, c.x);
  EXPECT_EQ(rig.window.topmost->y, c.y);
  EXPECT_EQ(rig.window.topmost->cx, c.cx);
  EXPECT_EQ(rig.window.topmost->cy, c.cy);
  // Topmost is made after the window is shown.
  EXPECT_EQ(rig.window.calls,
            (std::vector<std::string>{"BringToFront", "Show",
                                      "SetTopmostNoActivate"}));

  EXPECT_FALSE(rig.rec(ControlId::kHinterGrund).visible);
  for (ControlId id :
       {ControlId::kLabel1, ControlId::kLabel2, ControlId::kLabel3,
        ControlId::kTaste0, ControlId::kTaste1}) {
    EXPECT_FALSE(rig.rec(id).visible) << static_cast<int>(id);
  }
  EXPECT_EQ(rig.rec(ControlId::kLabel1).font_size, 14.25f);  // not scaled
  EXPECT_EQ(rig.rec(ControlId::kFrageLabel).left, 0);
  EXPECT_EQ(rig.rec(ControlId::kFrageLabel).top, c.label_top);
  EXPECT_EQ(rig.rec(ControlId::kBalkenPicture).left, 0);
  EXPECT_EQ(rig.rec(ControlId::kBalkenPicture).top, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, PanelTest,
    ::testing::Values(PanelCase{1024, 768, 764, 90, 240, 234, 750},
                      // 596.875, 70.3125, 187.5 -> 188 (even), 182.8125
                      PanelCase{800, 600, 597, 70, 188, 183, 585},
                      // 477.5 -> 478 (even), 56.25, 150, 146.25
                      PanelCase{640, 480, 478, 56, 150, 146, 465},
                      PanelCase{1280, 1024, 955, 120, 300, 312, 990},
                      // 1432.5 -> 1432 (even), 126.5625, 450, 329.0625
                      PanelCase{1920, 1080, 1432, 127, 450, 329, 1050}));

class VersionHandOverTest : public FormLoadTest {
 protected:
  VersionHandOverTest() {
    rig.profiles.Set("C:\\ServicePacks\\ROLVEX.INI", "ServicePack", "Version",
                     "7.2.1");
  }
};

TEST_F(VersionHandOverTest, RunFromServicePackDirIgnoringCaseHandsOver) {
  rig.window.program_directory = "c:\\SERVICEPACKS";
  std::vector<size_t> writes_at_events;
  rig.window.on_do_events = [&] {
    writes_at_events.push_back(rig.profiles.writes.size());
  };

  EXPECT_FALSE(rig.Load().has_value());

  ASSERT_EQ(Writes().size(), 1u);
  EXPECT_EQ(Writes()[0].file, "C:\\Computer.ini");
  EXPECT_EQ(Writes()[0].section, "ServicePack");
  EXPECT_EQ(Writes()[0].key, "Version");
  EXPECT_EQ(Writes()[0].value, "7.2.1");
  EXPECT_EQ(rig.profiles.Get("C:\\Computer.ini", "ServicePack", "Version"),
            "7.2.1");
  // Between the two rounds of event processing.
  EXPECT_EQ(writes_at_events, (std::vector<size_t>{0, 1}));
}

TEST_F(VersionHandOverTest, DirectoriesFromTheEnvironment) {
  rig.environment.Set("ServicePackDir", "D:\\Packs\\SP 7");
  rig.environment.Set("Computer_Ini", "$WinDir$\\Computer.ini");
  rig.window.program_directory = "d:\\packs\\sp 7";
  rig.profiles.Set("D:\\Packs\\SP 7\\Rolvex.ini", "ServicePack", "Version",
                   "8.0");

  EXPECT_FALSE(rig.Load().has_value());

  ASSERT_EQ(Writes().size(), 1u);
  EXPECT_EQ(Writes()[0].file, "C:\\Windows\\Computer.ini");
  EXPECT_EQ(Writes()[0].value, "8.0");
}

TEST_F(VersionHandOverTest, MissingVersionIsWrittenEmpty) {
  StartupRig bare;  // no ROLVEX.INI in the service-pack folder
  EXPECT_FALSE(bare.Load().has_value());
  ASSERT_EQ(bare.profiles.writes.size(), 1u);
  EXPECT_EQ(bare.profiles.writes[0].value, "");
}

TEST_F(VersionHandOverTest, OnlyAsciiLettersIgnoreCaseWhateverTheLocale) {
  // In a Latin-1 locale the C library upper-cases 0xE4 to 0xC4; the
  // comparison must not, so that both builds and every PC agree.
  const char* set = nullptr;
  for (const char* name : {"de_DE.ISO-8859-1", "German_Germany.1252"}) {
    if ((set = std::setlocale(LC_CTYPE, name)) != nullptr) break;
  }
  if (set == nullptr) GTEST_SKIP() << "no Latin-1 locale on this machine";
  rig.environment.Set("ServicePackDir", "C:\\Packs\\B\xC4R");
  rig.window.program_directory = "c:\\packs\\b\xE4r";
  EXPECT_FALSE(rig.Load().has_value());
  std::setlocale(LC_CTYPE, "C");
  EXPECT_TRUE(Writes().empty());
}

TEST_F(VersionHandOverTest, AnyOtherFolderLeavesTheComputerIniAlone) {
  for (const char* dir :
       {"C:\\ServicePacks\\", "C:\\ServicePacks\\SP7", "C:\\Service Packs",
        "D:\\ServicePacks", "C:\\Temp"}) {
    StartupRig other;
    other.profiles.Set("C:\\ServicePacks\\ROLVEX.INI", "ServicePack", "Version",
                       "7.2.1");
    other.window.program_directory = dir;
    EXPECT_FALSE(other.Load().has_value()) << dir;
    EXPECT_TRUE(other.profiles.writes.empty()) << dir;
  }
}

}  // namespace
}  // namespace rolvex
