// Screen scaling: the window is designed for 1024 x 768 pixels at 15 twips a
// pixel and scaled to the real screen.
#ifndef ROLVEX_SHELL_SCREEN_LAYOUT_H_
#define ROLVEX_SHELL_SCREEN_LAYOUT_H_

#include <string>

#include "platform/window.h"
#include "shell/installer.h"

namespace rolvex {

// Measures the screen and sets the scale factors.
void HoleAufloesung(Installer& installer, const std::string& call_path);

// Scales one control: each geometry argument that is 0 is replaced by the
// control's current value scaled and cut to whole pixels; with `adjust_font`
// the font follows the vertical factor, not below `min_font_size`.
void PosObjekt(Installer& installer, Control& control, float new_height,
               float new_left, float new_top, float new_width,
               bool adjust_font, int min_font_size, int ref_twips_x,
               int ref_twips_y);

}  // namespace rolvex

#endif  // ROLVEX_SHELL_SCREEN_LAYOUT_H_
