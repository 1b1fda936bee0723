#include <algorithm>

#include "platform/rules/status_line.h"
#include "platform/win32/win32_fonts.h"
#include "platform/win32/win32_window.h"

namespace rolvex {

Win32Control::Win32Control(Win32Window& window, const ControlDesign& design,
                           HWND hwnd)
    : window_(window),
      id_(design.id),
      hwnd_(hwnd),
      left_(design.left),
      top_(design.top),
      width_(design.width),
      height_(design.height) {
  Move();
  if (design.font_size > 0) SetFontSize(design.font_size);
  SetCaption(design.caption);
  SetVisible(design.visible);
}

Win32Control::~Win32Control() {
  if (font_) DeleteObject(font_);
}

float Win32Control::Left() { return left_; }
float Win32Control::Top() { return top_; }
float Win32Control::Width() { return width_; }
float Win32Control::Height() { return height_; }

void Win32Control::SetLeft(float twips) {
  left_ = twips;
  Move();
}
void Win32Control::SetTop(float twips) {
  top_ = twips;
  Move();
}
void Win32Control::SetWidth(float twips) {
  width_ = twips;
  Move();
}
void Win32Control::SetHeight(float twips) {
  height_ = twips;
  Move();
}

void Win32Control::Move() {
  const RECT r = PixelRect();
  MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

RECT Win32Control::PixelRect() const {
  const int x = window_.ToPixelsX(left_);
  const int y = window_.ToPixelsY(top_);
  return {x, y, x + std::max(0, window_.ToPixelsX(width_)),
          y + std::max(0, window_.ToPixelsY(height_))};
}

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
