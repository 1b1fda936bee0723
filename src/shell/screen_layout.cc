#include "shell/screen_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rolvex {
namespace {

constexpr float kDesignWidthPx = 1024;
constexpr float kDesignHeightPx = 768;
constexpr float kDefaultTwipsPerPixel = 15;  // 96 dots per inch
constexpr int kMaxInt16 = 32767;

float SaneTwipsPerPixel(float twips_per_pixel) {
  return std::isfinite(twips_per_pixel) && twips_per_pixel > 0
             ? twips_per_pixel
             : kDefaultTwipsPerPixel;
}

int ToPixels16(float twips, float twips_per_pixel) {
  const float pixels = twips / twips_per_pixel;
  if (!std::isfinite(pixels)) return 0;
  return std::clamp(RoundHalfEven(pixels), 0, kMaxInt16);
}

// The height the design expects for a screen `width_px` wide.
float NominalHeight(int width_px, int measured_height_px) {
  switch (width_px) {
    case 640:
      return 480;
    case 800:
      return 600;
    case 1024:
      return 768;
    case 1280:
      return 1024;
    default:
      return std::min(static_cast<float>(measured_height_px),
                      static_cast<float>(width_px) * 3 / 4);
  }
}

}  // namespace

int RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMin = std::numeric_limits<int>::min();
  constexpr double kMax = std::numeric_limits<int>::max();
  if (value <= kMin) return std::numeric_limits<int>::min();
  if (value >= kMax) return std::numeric_limits<int>::max();
  // Ties to even, whatever rounding mode the process runs in.
  const double below = std::floor(value);
  const double fraction = value - below;
  double result = below;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2) != 0)) {
    result = below + 1;
  }
  return static_cast<int>(result);
}

void HoleAufloesung(Installer& installer, const std::string& call_path) {
  (void)call_path;  // reports nothing
  Window& window = installer.window;
  ScreenMetrics& m = installer.metrics;
  m.twips_per_pixel_x = SaneTwipsPerPixel(window.TwipsPerPixelX());
  m.twips_per_pixel_y = SaneTwipsPerPixel(window.TwipsPerPixelY());
  m.screen_width_px =
      ToPixels16(window.ScreenWidthTwips(), m.twips_per_pixel_x);
  m.screen_height_px =
      ToPixels16(window.ScreenHeightTwips(), m.twips_per_pixel_y);
  m.width_scale = static_cast<float>(m.screen_width_px) / kDesignWidthPx;
  m.height_scale =
      NominalHeight(m.screen_width_px, m.screen_height_px) / kDesignHeightPx;
}

void PosObjekt(Installer& installer, Control& control, float new_height,
               float new_left, float new_top, float new_width, bool adjust_font,
               int min_font_size, int ref_twips_x, int ref_twips_y) {
  const ScreenMetrics& m = installer.metrics;
  // Pixel factors: 15 on a 96 dots-per-inch screen with the reference 15.
  const float fx = m.twips_per_pixel_x * m.twips_per_pixel_x /
                   static_cast<float>(ref_twips_x);
  const float fy = m.twips_per_pixel_y * m.twips_per_pixel_y /
                   static_cast<float>(ref_twips_y);

  if (adjust_font) {
    float size = std::floor(control.FontSize() * m.height_scale);
    if (size < static_cast<float>(min_font_size)) {
      size = static_cast<float>(min_font_size);
    }
    control.SetFontSize(size);
  }
  control.SetHeight(new_height != 0
                        ? new_height
                        : std::floor(control.Height() * m.height_scale / fy) *
                              m.twips_per_pixel_y);
  control.SetLeft(new_left != 0
                      ? new_left
                      : std::floor(control.Left() * m.width_scale / fx) *
                            m.twips_per_pixel_x);
  control.SetTop(new_top != 0
                     ? new_top
                     : std::floor(control.Top() * m.height_scale / fy) *
                           m.twips_per_pixel_y);
  control.SetWidth(new_width != 0
                       ? new_width
                       : std::floor(control.Width() * m.width_scale / fx) *
                             m.twips_per_pixel_x);
}

}  // namespace rolvex
