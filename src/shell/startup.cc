#include "shell/startup.h"

#include <string>

#include "passes/pass_state.h"
#include "platform/rules/ascii_text.h"
#include "reporting/ask_operator.h"
#include "reporting/run_report.h"
#include "settings/directory_parameters.h"
#include "settings/ersetze_environment.h"
#include "settings/ini_access.h"
#include "shell/installation.h"
#include "shell/parameter_aufloesen.h"
#include "shell/screen_layout.h"

namespace rolvex {
namespace {

const char kCallPath[] = "Form_Load";
const char kMachineIni[] = "C:\\ServicePack.ini";
// Design values of the layout, twips at 1024 x 768 pixels.
constexpr float kPanelLeft = 11460, kPanelTop = 1350;
constexpr float kPanelWidth = 3600, kPanelHeight = 3510;
constexpr float kColumnLeft = 11460;
constexpr float kFrageLabelTop = 2100, kBalkenPictureTop = 1350;
// PosObjekt as start-up calls it: scale all four lengths, fonts not below
// 8 pt, reference 15 twips a pixel.
constexpr int kMinFontSize = 8, kRefTwips = 15;

std::string Resolve(Installer& installer, const std::string& text) {
  return ErsetzeEnvironment(installer, text, kCallPath);
}

void Scale(Installer& installer, ControlId id, bool adjust_font) {
  PosObjekt(installer, installer.window.control(id), 0, 0, 0, 0, adjust_font,
            kMinFontSize, kRefTwips, kRefTwips);
}

// The panel: the designed 3600 x 3510 twips at the top left corner of the
// design, scaled, with the status label and the bar where the design has them.
void LayOutPanel(Installer& installer) {
  Window& window = installer.window;
  const ScreenMetrics& m = installer.metrics;
  window.SetWidth(m.width_scale * kPanelWidth);
  window.SetHeight(m.height_scale * kPanelHeight);
  window.SetLeft(m.width_scale * kPanelLeft);
  window.SetTop(m.height_scale * kPanelTop);
  window.control(ControlId::kHinterGrund).SetVisible(false);
}

// The whole screen: status label and bar in the right-hand column above the
// buttons, the three text lines on the left.
void LayOutFullScreen(Installer& installer, bool show_buttons) {
  Window& window = installer.window;
  const ScreenMetrics& m = installer.metrics;
  const float width =
      static_cast<float>(m.screen_width_px) * m.twips_per_pixel_x;
  const float height =
      static_cast<float>(m.screen_height_px) * m.twips_per_pixel_y;
  Control& picture = window.control(ControlId::kHinterGrund);
  picture.SetWidth(width);
  picture.SetHeight(height);
  window.SetWidth(width);
  window.SetHeight(height);
  window.SetLeft(0);
  window.SetTop(0);

  Control& label = window.control(ControlId::kFrageLabel);
  label.SetLeft(kColumnLeft);
  label.SetTop(kFrageLabelTop);
  Control& frame = window.control(ControlId::kBalkenPicture);
  frame.SetLeft(kColumnLeft);
  frame.SetTop(kBalkenPictureTop);

  const ControlId texts[] = {ControlId::kLabel1, ControlId::kLabel2,
                             ControlId::kLabel3};
  for (ControlId id : texts) Scale(installer, id, true);
  Scale(installer, ControlId::kTaste0, true);
  Scale(installer, ControlId::kTaste1, true);

  const std::string ini = installer.program_dir + "\\Rolvex.ini";
  const char* const keys[] = {"Text1", "Text2", "Text3"};
  for (int i = 0; i < 3; ++i) {
    window.control(texts[i]).SetCaption(
        LoadIniString(installer, "Intern", keys[i], ini, kCallPath));
  }
  for (ControlId id : texts) window.control(id).SetVisible(true);

  if (!show_buttons) return;
  Control& start = window.control(ControlId::kTaste0);
  Control& exit = window.control(ControlId::kTaste1);
  start.SetCaption(LoadIniString(installer, "Intern", "OK", ini, kCallPath));
  exit.SetCaption(LoadIniString(installer, "Intern", "ESC", ini, kCallPath));
  start.SetVisible(true);
  exit.SetVisible(true);
}

// The panel keeps above other windows without taking the focus; position and
// size are given again, in whole pixels.
void MakePanelTopmost(Installer& installer) {
  Window& window = installer.window;
  const ScreenMetrics& m = installer.metrics;
  window.SetTopmostNoActivate(
      RoundHalfEven(window.Left() / m.twips_per_pixel_x),
      RoundHalfEven(window.Top() / m.twips_per_pixel_y),
      RoundHalfEven(window.Width() / m.twips_per_pixel_x),
      RoundHalfEven(window.Height() / m.twips_per_pixel_y));
}

// Run from the service-pack folder itself, the pack's version goes into the
// computer's ini. Only letter case is ignored in the comparison.
void HandOverVersion(Installer& installer) {
  const std::string pack_dir = Resolve(installer, "$ServicePackDir$");
  if (AsciiUpperCase(installer.window.ProgramDirectory()) !=
      AsciiUpperCase(pack_dir))
    return;
  const std::string version =
      LoadIniString(installer, "ServicePack", "Version",
                    pack_dir + "\\ROLVEX.INI", kCallPath);
  SaveIni(installer, version, "ServicePack", "Version",
          Resolve(installer, "$Computer_Ini$"), kCallPath);
}

}  // namespace

void CancelKontrolle(Installer& installer, const std::string& call_path) {
  installer.cancel_sp =
      LoadIniBoolean(installer, "General", "CancelSP", kMachineIni,
                     call_path + ".CancelKontrolle");
  if (installer.cancel_sp) installer.window.EndProgram(kExitLatchSet);
}

void Form_Load(Installer& installer) {
  Window& window = installer.window;
  // Before anything could ask: an agent that says nobody is there must
  // never meet a box.
  if (RunsUnattended(installer.environment)) window.SetUnattended();
  window.SetClickHandler(
      [&installer](int index) { Taste_Click(installer, index); });

  CancelKontrolle(installer, kCallPath);
  installer.all_data_equal = LoadIniBoolean(
      installer, "General", "AllDataEqual", kMachineIni, kCallPath);
  HoleAufloesung(installer, kCallPath);
  std::string arguments = window.CommandLine();
  ParameterAufloesen(installer, arguments, kCallPath);
  installer.program_dir = window.ProgramDirectory();
  SetDefaultDirectoryParameters(installer);
  for (int row = 1; row <= kDirectoryParameterCount; ++row) {
    GetDOSEnvironmentVariable(installer, row, kCallPath);
  }
  installer.vw_studio = LoadIniBoolean(
      installer, "Project", "VWStudio",
      Resolve(installer, "$VisuDir$") + "\\Paramter\\Program.ini", kCallPath);

  const std::string& mode = installer.command_args[0];
  const bool panel = mode == "1";
  if (panel) {
    LayOutPanel(installer);
  } else {
    LayOutFullScreen(installer, /*show_buttons=*/mode != "2");
  }
  Scale(installer, ControlId::kFrageLabel, true);
  Scale(installer, ControlId::kBalkenPicture, false);
  Scale(installer, ControlId::kBalkenShape, false);
  window.UseFontOf(ControlId::kFrageLabel);

  installer.language =
      LoadIniString(installer, "Intern", "Sprache",
                    installer.program_dir + "\\Rolvex.ini", kCallPath);
  installer.log_file_path = Resolve(installer, "$ServicePack_Log$");
  installer.run_report.SetLogPath(installer.log_file_path);

  window.BringToFront();
  window.Show();
  if (panel) MakePanelTopmost(installer);
  window.DoEvents();
  HandOverVersion(installer);
  window.DoEvents();

  if (mode == "1" || mode == "2") Installation(installer, kCallPath);
}

}  // namespace rolvex
