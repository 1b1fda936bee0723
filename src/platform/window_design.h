// The designed layout of the installer's window, as the window backends
// create it before start-up scales and places anything: twips at 1024 x 768
// pixels and 15 twips a pixel, fonts in points; and how the backends show
// lengths in pixels.
#ifndef ROLVEX_PLATFORM_WINDOW_DESIGN_H_
#define ROLVEX_PLATFORM_WINDOW_DESIGN_H_

#include <cmath>

#include "platform/window.h"

namespace rolvex {

struct ControlDesign {
  ControlId id;
  const char* name;  // the design name, for messages and tests
  float left, top, width, height;
  bool visible;
  float font_size;  // 0: the control has no font
  const char* caption;
};

// Every control of the window, in ControlId order.
inline constexpr ControlDesign kControlDesigns[] = {
    {ControlId::kHinterGrund, "HinterGrund", 0, 0, 15360, 11520, true, 0, ""},
    {ControlId::kFrageLabel, "FrageLabel", 0, 750, 3600, 2760, true, 12, ""},
    {ControlId::kBalkenPicture, "BalkenPicture", 0, 0, 3600, 450, false, 0, ""},
    {ControlId::kBalkenShape, "BalkenShape", 0, 0, 15, 500, true, 0, ""},
    {ControlId::kLabel1, "Label(1)", 2010, 1860, 6000, 390, false, 14.25f, ""},
    {ControlId::kLabel2, "Label(2)", 2010, 2385, 6000, 390, false, 14.25f, ""},
    {ControlId::kLabel3, "Label(3)", 2010, 2910, 6000, 390, false, 14.25f, ""},
    {ControlId::kTaste0, "Taste(0)", 11460, 5100, 3600, 615, false, 12,
     "Start Service Pack "},
    {ControlId::kTaste1, "Taste(1)", 11460, 5850, 3600, 615, false, 12, "Exit"},
};
inline constexpr int kControlCount =
    static_cast<int>(sizeof(kControlDesigns) / sizeof(kControlDesigns[0]));

inline const ControlDesign& DesignOf(ControlId id) {
  return kControlDesigns[static_cast<int>(id)];
}

// The window's client area as designed; its own font before start-up hands
// it the status label's.
inline constexpr float kDesignWindowWidth = 15360;
inline constexpr float kDesignWindowHeight = 11520;
inline constexpr float kDesignWindowFontSize = 12;

// How the window backends show a length: they keep the twips as set
// (fractions too, so that reading gives back what was set) and place the
// window or control at the nearest whole pixel, halves to even, the rule by
// which start-up rounds the panel's pixels for its topmost call; a size
// below 0 shows as 0.
inline int TwipsToPixels(float twips, float twips_per_pixel) {
  // nearbyint rounds halves to even in the default rounding mode.
  return static_cast<int>(std::nearbyint(twips / twips_per_pixel));
}

// A window measure given again in pixels (the panel's topmost call) keeps
// its twips as set when it already shows at that pixel; otherwise it becomes
// the pixel's twips.
inline float TwipsAtPixel(float twips, int pixels, float twips_per_pixel) {
  return TwipsToPixels(twips, twips_per_pixel) == pixels
             ? twips
             : static_cast<float>(pixels) * twips_per_pixel;
}

// The title of message boxes that are given none.
inline constexpr char kDefaultTitle[] = "Rolvex";

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WINDOW_DESIGN_H_
