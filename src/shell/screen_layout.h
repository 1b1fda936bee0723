// Screen scaling: the window is designed for 1024 x 768 pixels at 15 twips a
// pixel and scaled to the real screen.
#ifndef ROLVEX_SHELL_SCREEN_LAYOUT_H_
#define ROLVEX_SHELL_SCREEN_LAYOUT_H_

#include <string>

#include "platform/window.h"
#include "shell/installer.h"

namespace rolvex {

// Measures the screen once and fills installer.metrics:
// - twips per pixel as the window reports them (a backend that reports
//   nothing sensible, 0 or less, is taken as 96 dots per inch, 15);
// - screen width and height in pixels, screen twips / twips per pixel rounded
//   to the nearest whole number, halves to even, kept within 0 to 32767;
// - width_scale = width / 1024 (single precision);
// - height_scale = nominal height / 768, the nominal height following the
//   width: 640 -> 480, 800 -> 600, 1024 -> 768, 1280 -> 1024. Any other width
//   takes min(measured height, width x 3 / 4) / 768: the design's 4:3 height
//   for the width, but never more than the screen really has, so every
//   control stays on the screen (1920 x 1080 gives 1080 / 768, 1366 x 768
//   gives 1).
void HoleAufloesung(Installer& installer, const std::string& call_path);

// Scales one control, in this order, each step reading the control's current
// value (Int = the largest whole number not above, FX = twips per pixel x
// twips per pixel / ref_twips_x, FY likewise):
// 1. with `adjust_font`: font size = Int(size x height_scale), raised to
//    `min_font_size` when below it;
// 2. height = new_height if not 0, else Int(height x height_scale / FY) x
//    twips per pixel Y;
// 3. left   = new_left if not 0, else Int(left x width_scale / FX) x twips
//    per pixel X;
// 4. top    = new_top if not 0, else Int(top x height_scale / FY) x twips per
//    pixel Y;
// 5. width  = new_width if not 0, else Int(width x width_scale / FX) x twips
//    per pixel X.
// All in single precision. A geometry argument other than 0 is taken as it
// is, neither scaled nor snapped. Scaling a control twice scales it twice.
void PosObjekt(Installer& installer, Control& control, float new_height,
               float new_left, float new_top, float new_width, bool adjust_font,
               int min_font_size, int ref_twips_x, int ref_twips_y);

// `value` rounded to the nearest whole number, halves to the even one (2.5 ->
// 2, 3.5 -> 4), as a conversion to a whole number of pixels does; kept within
// the range of int.
int RoundHalfEven(double value);

}  // namespace rolvex

#endif  // ROLVEX_SHELL_SCREEN_LAYOUT_H_
