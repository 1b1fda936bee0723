// The installer's fonts: "Lucida Sans Unicode", bold, character set 0, not
// italic, not underlined, at a size in points that may have a fraction
// (14.25). Where that face is not installed (Wine has none by that name) the
// first of a few similar faces that is installed stands in for it, so the
// layout does not depend on whatever the font mapper would pick.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_FONTS_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_FONTS_H_

#include <string>

#include "platform/win32/win32_api.h"

namespace rolvex {

// The character height in pixels for `points` at `dots_per_inch`, as the
// negative lfHeight a LOGFONT takes: -(points * dpi / 72), rounded.
int FontHeightForPoints(float points, int dots_per_inch);

// The face used: the designed one, or its stand-in. Looked up once.
const std::string& InstallerFontFace();

// A new font of the installer's face at `points`; the caller deletes it.
HFONT CreateInstallerFont(float points);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_FONTS_H_
