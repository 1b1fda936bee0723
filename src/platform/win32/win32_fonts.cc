#include "platform/win32/win32_fonts.h"

#include <cmath>
#include <cstring>

namespace rolvex {
namespace {

int CALLBACK NoteFound(const LOGFONTA*, const TEXTMETRICA*, DWORD,
                       LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const char* face) {
  HDC screen = GetDC(nullptr);
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  strncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExA(screen, &wanted, NoteFound,
                      reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

int ScreenDotsPerInchY() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

int FontHeightForPoints(float points, int dots_per_inch) {
  return -static_cast<int>(std::lround(points * dots_per_inch / 72.0));
}

const std::string& InstallerFontFace() {
  static const std::string face = [] {
    for (const char* candidate :
         {"Lucida Sans Unicode", "Lucida Sans", "Tahoma", "Verdana", "Arial",
          "DejaVu Sans"}) {
      if (FaceInstalled(candidate)) return std::string(candidate);
    }
    return std::string("MS Sans Serif");
  }();
  return face;
}

HFONT CreateInstallerFont(float points) {
  LOGFONTA font{};
  font.lfHeight = FontHeightForPoints(points, ScreenDotsPerInchY());
  font.lfWeight = FW_BOLD;
  font.lfCharSet = ANSI_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  strncpy(font.lfFaceName, InstallerFontFace().c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectA(&font);
}

}  // namespace rolvex
