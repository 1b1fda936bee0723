// Screen metrics, control scaling, and the layout they give at the usual
// screen widths.
#include "shell/screen_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "shell/startup_rig.h"

namespace rolvex {
namespace {

using startup_testing::StartupRig;

struct MetricsCase {
  float width_px, height_px, twips_per_pixel;
  int expected_width_px, expected_height_px;
  float width_scale, height_scale;
};

class HoleAufloesungTest : public ::testing::TestWithParam<MetricsCase> {};

TEST_P(HoleAufloesungTest, ScaleFactorsFollowTheWidth) {
  const MetricsCase& c = GetParam();
  StartupRig rig;
  rig.SetScreen(c.width_px, c.height_px);
  rig.window.tppx_x = rig.window.tppx_y = c.twips_per_pixel;
  HoleAufloesung(rig.installer, "Form_Load");

  const ScreenMetrics& m = rig.installer.metrics;
  EXPECT_EQ(m.twips_per_pixel_x, c.twips_per_pixel);
  EXPECT_EQ(m.twips_per_pixel_y, c.twips_per_pixel);
  EXPECT_EQ(m.screen_width_px, c.expected_width_px);
  EXPECT_EQ(m.screen_height_px, c.expected_height_px);
  EXPECT_EQ(m.width_scale, c.width_scale);
  EXPECT_EQ(m.height_scale, c.height_scale);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, HoleAufloesungTest,
    ::testing::Values(
        MetricsCase{640, 480, 15, 640, 480, 0.625f, 0.625f},
        MetricsCase{800, 600, 15, 800, 600, 0.78125f, 0.78125f},
        MetricsCase{1024, 768, 15, 1024, 768, 1, 1},
        MetricsCase{1280, 1024, 15, 1280, 1024, 1.25f, 1.3333334f},
        // The vertical factor follows the width, not the measured height.
        MetricsCase{1280, 800, 15, 1280, 800, 1.25f, 1.3333334f},
        MetricsCase{1280, 1024, 12, 1280, 1024, 1.25f, 1.3333334f},
        // Widths without a nominal height: the 4:3 height of the width, but
        // no more than the screen has.
        MetricsCase{1920, 1080, 15, 1920, 1080, 1.875f, 1.40625f},
        MetricsCase{1366, 768, 15, 1366, 768, 1366.0f / 1024, 1},
        MetricsCase{1152, 864, 15, 1152, 864, 1.125f, 1.125f},
        MetricsCase{1280, 720, 12, 1280, 720, 1.25f, 1.3333334f},
        MetricsCase{2560, 1440, 12, 2560, 1440, 2.5f, 1.875f},
        // Pixel counts are rounded halves to even.
        MetricsCase{1024.5f, 767.5f, 15, 1024, 768, 1, 1},
        MetricsCase{799.5f, 600.5f, 15, 800, 600, 0.78125f, 0.78125f}));

TEST(HoleAufloesungSanityTest, NonsenseTwipsPerPixelCountAsNinetySixDpi) {
  StartupRig rig;
  rig.window.tppx_x = 0;
  rig.window.tppx_y = -3;
  HoleAufloesung(rig.installer, "Form_Load");
  EXPECT_EQ(rig.installer.metrics.twips_per_pixel_x, 15);
  EXPECT_EQ(rig.installer.metrics.twips_per_pixel_y, 15);
}

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(477.5), 478);
  EXPECT_EQ(RoundHalfEven(764.5), 764);
  EXPECT_EQ(RoundHalfEven(764.50001), 765);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.6), -3);
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
  EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<int>::max());
  EXPECT_EQ(RoundHalfEven(-1e300), std::numeric_limits<int>::min());
}

class PosObjektTest : public ::testing::Test {
 protected:
  void Measure(float width_px, float height_px, float twips_per_pixel) {
    rig.SetScreen(width_px, height_px);
    rig.window.tppx_x = rig.window.tppx_y = twips_per_pixel;
    HoleAufloesung(rig.installer, "Form_Load");
  }
  RecordingControl& Label() { return rig.rec(ControlId::kLabel1); }

  StartupRig rig;
};

TEST_F(PosObjektTest, GivenLengthsAreTakenUnscaledAndUnsnapped) {
  Measure(1280, 1024, 15);
  PosObjekt(rig.installer, Label(), 123.4f, 0, 77.7f, 0, false, 8, 15, 15);
  EXPECT_EQ(Label().height, 123.4f);
  EXPECT_EQ(Label().left, 2505);  // 2010 x 1.25 / 15 = 167.5 -> 167 pixels
  EXPECT_EQ(Label().top, 77.7f);
  EXPECT_EQ(Label().width, 7500);
  EXPECT_EQ(Label().font_size, 14.25f);  // untouched without AdjustFont
}

TEST_F(PosObjektTest, FontFollowsTheVerticalFactorNotBelowTheMinimum) {
  Measure(640, 480, 15);
  PosObjekt(rig.installer, Label(), 0, 0, 0, 0, true, 10, 15, 15);
  EXPECT_EQ(Label().font_size, 10);  // 8.90625 -> 8, raised to 10

  Measure(1920, 1080, 15);  // vertical 1.40625, horizontal 1.875
  RecordingControl& button = rig.rec(ControlId::kTaste0);
  PosObjekt(rig.installer, button, 0, 0, 0, 0, true, 8, 15, 15);
  EXPECT_EQ(button.font_size, 16);  // 16.875
  EXPECT_EQ(button.height, 855);    // 615 x 1.40625 / 15 = 57.66
  EXPECT_EQ(button.left, 21480);    // 11460 x 1.875 / 15 = 1432.5
  EXPECT_EQ(button.top, 7170);      // 5100 x 1.40625 / 15 = 478.1
  EXPECT_EQ(button.width, 6750);    // 3600 x 1.875 / 15 = 450
}

TEST_F(PosObjektTest, OtherDpiCutsToItsOwnWholePixels) {
  Measure(1280, 1024, 12);  // 120 dots per inch: FX = FY = 12 x 12 / 15
  PosObjekt(rig.installer, Label(), 0, 0, 0, 0, true, 8, 15, 15);
  EXPECT_EQ(Label().height, 648);  // 390 x 4/3 / 9.6 = 54.2 -> 54 x 12
  EXPECT_EQ(Label().left, 3132);   // 2010 x 1.25 / 9.6 = 261.7 -> 261 x 12
  EXPECT_EQ(Label().top, 3096);    // 1860 x 4/3 / 9.6 = 258.3 -> 258 x 12
  EXPECT_EQ(Label().width, 9372);  // 6000 x 1.25 / 9.6 = 781.25 -> 781 x 12
  EXPECT_EQ(Label().font_size, 19);
}

// What start-up makes of the design at the four usual widths, 96 dpi.
struct LayoutCase {
  float width_px, height_px;
  float frage[5];  // left, top, width, height, font
  float label1[5];
  float shape[2];  // width, height
};

class LayoutTableTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTableTest, StartUpScalesTheDesign) {
  const LayoutCase& c = GetParam();
  StartupRig rig;
  rig.SetScreen(c.width_px, c.height_px);
  ASSERT_FALSE(rig.Load().has_value());  // interactive: start-up returns

  const RecordingControl& frage = rig.rec(ControlId::kFrageLabel);
  EXPECT_EQ(frage.left, c.frage[0]);
  EXPECT_EQ(frage.top, c.frage[1]);
  EXPECT_EQ(frage.width, c.frage[2]);
  EXPECT_EQ(frage.height, c.frage[3]);
  EXPECT_EQ(frage.font_size, c.frage[4]);
  const RecordingControl& label = rig.rec(ControlId::kLabel1);
  EXPECT_EQ(label.left, c.label1[0]);
  EXPECT_EQ(label.top, c.label1[1]);
  EXPECT_EQ(label.width, c.label1[2]);
  EXPECT_EQ(label.height, c.label1[3]);
  EXPECT_EQ(label.font_size, c.label1[4]);
  const RecordingControl& shape = rig.rec(ControlId::kBalkenShape);
  EXPECT_EQ(shape.width, c.shape[0]);
  EXPECT_EQ(shape.height, c.shape[1]);
  // The fill stays anchored at the frame's corner.
  EXPECT_EQ(shape.left, 0);
  EXPECT_EQ(shape.top, 0);
  // Full screen, and the status output measures with the label's font.
  EXPECT_EQ(rig.window.width, c.width_px * 15);
  EXPECT_EQ(rig.window.height, c.height_px * 15);
  EXPECT_EQ(rig.rec(ControlId::kHinterGrund).width, c.width_px * 15);
  EXPECT_EQ(rig.window.font_owner, ControlId::kFrageLabel);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, LayoutTableTest,
    ::testing::Values(
        LayoutCase{640,
                   480,
                   {7155, 1305, 2250, 1725, 8},
                   {1245, 1155, 3750, 240, 8},
                   {0, 300}},
        LayoutCase{800,
                   600,
                   {8940, 1635, 2805, 2145, 9},
                   {1560, 1440, 4680, 300, 11},
                   {0, 390}},
        LayoutCase{1024,
                   768,
                   {11460, 2100, 3600, 2760, 12},
                   {2010, 1860, 6000, 390, 14},
                   {15, 495}},
        LayoutCase{1280,
                   1024,
                   {14325, 2790, 4500, 3675, 16},
                   {2505, 2475, 7500, 510, 19},
                   {15, 660}},
        // Same factors as 1280 x 1024: the vertical one follows the width.
        LayoutCase{1280,
                   800,
                   {14325, 2790, 4500, 3675, 16},
                   {2505, 2475, 7500, 510, 19},
                   {15, 660}}));

TEST(LayoutOnScreenTest, OtherWidthsKeepEveryControlOnTheScreen) {
  const float screens[][2] = {{1920, 1080}, {1366, 768},  {1600, 900},
                              {1280, 720},  {2560, 1080}, {3440, 1440},
                              {1024, 600}};
  const ControlId controls[] = {
      ControlId::kFrageLabel, ControlId::kBalkenPicture, ControlId::kLabel1,
      ControlId::kLabel2,     ControlId::kLabel3,        ControlId::kTaste0,
      ControlId::kTaste1};
  for (const auto& screen : screens) {
    StartupRig rig;
    rig.SetScreen(screen[0], screen[1]);
    ASSERT_FALSE(rig.Load().has_value());
    for (ControlId id : controls) {
      const RecordingControl& c = rig.rec(id);
      EXPECT_LE(c.left + c.width, screen[0] * 15)
          << screen[0] << "x" << screen[1] << " control "
          << static_cast<int>(id);
      EXPECT_LE(c.top + c.height, screen[1] * 15)
          << screen[0] << "x" << screen[1] << " control "
          << static_cast<int>(id);
    }
  }
}

}  // namespace
}  // namespace rolvex
