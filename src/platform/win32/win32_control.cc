#include <algorithm>

#include "platform/rules/status_line.h"
#include "platform/win32/win32_fonts.h"
#include "platform/win32/win32_window.h"

namespace rolvex {

Win32Control::Win32Control(Win32Window& window, const ControlDesign& design,
                           HWND hwnd)
    : window_(window), id_(design.id), hwnd_(hwnd) {
  x_ = window_.ToPixelsX(design.left);
  y_ = window_.ToPixelsY(design.top);
  cx_ = window_.ToPixelsX(design.width);
  cy_ = window_.ToPixelsY(design.height);
  Move();
  if (design.font_size > 0) SetFontSize(design.font_size);
  SetCaption(design.caption);
  SetVisible(design.visible);
}

Win32Control::~Win32Control() {
  if (font_) DeleteObject(font_);
}

float Win32Control::Left() { return x_ * window_.TwipsPerPixelX(); }
float Win32Control::Top() { return y_ * window_.TwipsPerPixelY(); }
float Win32Control::Width() { return cx_ * window_.TwipsPerPixelX(); }
float Win32Control::Height() { return cy_ * window_.TwipsPerPixelY(); }

void Win32Control::SetLeft(float twips) {
  x_ = window_.ToPixelsX(twips);
  Move();
}
void Win32Control::SetTop(float twips) {
  y_ = window_.ToPixelsY(twips);
  Move();
}
void Win32Control::SetWidth(float twips) {
  cx_ = std::max(0, window_.ToPixelsX(twips));
  Move();
}
void Win32Control::SetHeight(float twips) {
  cy_ = std::max(0, window_.ToPixelsY(twips));
  Move();
}

void Win32Control::Move() { MoveWindow(hwnd_, x_, y_, cx_, cy_, TRUE); }

RECT Win32Control::PixelRect() const { return {x_, y_, x_ + cx_, y_ + cy_}; }

bool Win32Control::Visible() {
  // The control's own flag: a control of a window not shown yet is visible
  // when it will show with the window.
  return (GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Control::SetVisible(bool visible) {
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

std::string Win32Control::Caption() { return caption_; }

void Win32Control::SetCaption(const std::string& caption) {
  caption_ = caption;
  SetWindowTextA(hwnd_, caption_.c_str());
  if (id_ == ControlId::kFrageLabel && !caption_.empty()) {
    window_.transcript_.Line(NewestStatusLine(caption_));
  }
  // An owner-drawn button paints its caption itself.
  InvalidateRect(hwnd_, nullptr, TRUE);
}

float Win32Control::FontSize() { return font_size_; }

void Win32Control::SetFontSize(float points) {
  HFONT font = CreateInstallerFont(points);
  if (font == nullptr) return;
  font_size_ = points;
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  // The old font is no longer selected anywhere once the new one is set; a
  // window that measures with this control's font asks for the new one.
  if (font_) DeleteObject(font_);
  font_ = font;
}

}  // namespace rolvex
