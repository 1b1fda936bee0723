// The installer's window on Windows: one native top-level window of class
// "Rolvex" with child windows for the controls of the design.
//
// - The window is a WS_POPUP window: no frame and no title bar, so its outer
//   size is its client area, as the layout expects.
// - HinterGrund: a child that paints the embedded picture stretched over
//   itself; it lies beneath all other controls.
// - FrageLabel and Label(1) to (3): STATIC controls (SS_LEFT, so a label
//   shows each line-feed-separated line and wraps long ones; SS_NOPREFIX, so
//   an "&" in a path is shown as it is). FrageLabel has the back colour
//   229, 229, 229; the three text lines show the picture through their
//   background.
// - Taste(0) and Taste(1): owner-drawn push buttons in 231, 231, 231 with a
//   raised edge (sunken while pressed) and a focus rectangle.
// - BalkenPicture: a child painted 231, 231, 231, holding BalkenShape, a
//   child painted 0, 0, 192.
// - Tab order as designed: BalkenPicture, FrageLabel, Taste(1), Taste(0),
//   Label(3), Label(2), Label(1); only the buttons take the focus, the exit
//   button first.
//
// What the window shows is also written to standard output when the process
// has one (win32_transcript.h).
//
// Lengths are kept in twips as they were set, fractions too, so reading one
// gives what was set; the windows are placed at the nearest whole pixel,
// halves to even (TwipsToPixels), with the screen's twips per pixel (1440 /
// dots per inch).
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_WINDOW_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_WINDOW_H_

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_picture.h"
#include "platform/win32/win32_transcript.h"
#include "platform/window.h"
#include "platform/window_design.h"

namespace rolvex {

class Win32Window;

class Win32Control : public Control {
 public:
  Win32Control(Win32Window& window, const ControlDesign& design, HWND hwnd);
  ~Win32Control() override;
  Win32Control(const Win32Control&) = delete;
  Win32Control& operator=(const Win32Control&) = delete;

  float Left() override;
  float Top() override;
  float Width() override;
  float Height() override;
  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  bool Visible() override;
  void SetVisible(bool visible) override;
  std::string Caption() override;
  void SetCaption(const std::string& caption) override;
  float FontSize() override;
  void SetFontSize(float points) override;

  HWND hwnd() const { return hwnd_; }
  ControlId id() const { return id_; }
  HFONT font() const { return font_; }
  // The control's rectangle in pixels, in its parent's client area.
  RECT PixelRect() const;

 private:
  void Move();

  Win32Window& window_;
  ControlId id_;
  HWND hwnd_;
  float left_, top_, width_, height_;  // twips, as set
  std::string caption_;
  float font_size_ = 0;
  HFONT font_ = nullptr;
};

class Win32Window : public Window {
 public:
  // Creates the window and its controls, hidden, with the designed layout.
  explicit Win32Window(HINSTANCE instance);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  Control& control(ControlId id) override;

  float Left() override;
  float Top() override;
  float Width() override;
  float Height() override;
  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;

  void UseFontOf(ControlId control) override;
  float TextWidth(const std::string& text) override;

  float ScreenWidthTwips() override;
  float ScreenHeightTwips() override;
  float TwipsPerPixelX() override { return twips_per_pixel_x_; }
  float TwipsPerPixelY() override { return twips_per_pixel_y_; }

  void BringToFront() override;
  void Show() override;
  void SetTopmostNoActivate(int x, int y, int cx, int cy) override;
  void DoEvents() override;
  // No box is shown, and kAnswerNone comes back, when the window is
  // unattended or its window station is not visible (session 0, a service,
  // a SYSTEM task): a box there would wait for ever on a desktop nobody
  // sees. The transcript has the box either way.
  int MessageBox(const std::string& text, int style,
                 const std::string& title) override;
  void SetUnattended() override { unattended_ = true; }
  // PeekMessage with PM_QS_PAINT | PM_QS_SENDMESSAGE: paint and sent
  // messages, never input. A click another program sends meanwhile is put
  // back in the queue for the next DoEvents.
  void KeepResponsive() override;
  // ShutdownBlockReasonCreate while a run is in progress; WM_QUERYENDSESSION
  // is then answered FALSE, and WM_ENDSESSION runs the session end handler
  // and ends the process with status 1.
  void SetRunInProgress(bool in_progress) override;
  void SetSessionEndHandler(std::function<void()> handler) override {
    session_end_handler_ = std::move(handler);
  }
  [[noreturn]] void EndProgram(int exit_status) override;
  std::string CommandLine() override;
  std::string ProgramDirectory() override;
  void SetClickHandler(std::function<void(int index)> handler) override;

  HWND hwnd() const { return hwnd_; }
  // Handles one message of the message loop: dialog keys (Tab, Space) for
  // the buttons, else translated and dispatched.
  void Dispatch(MSG& message);

  // Shows a failure that nothing else has handled and ends the program with
  // status 1: no failure may leave the program running unreported.
  [[noreturn]] void EndWithFailure(const std::exception& failure);

  // Pixels for a length in twips (TwipsToPixels).
  int ToPixelsX(float twips) const;
  int ToPixelsY(float twips) const;

 private:
  friend class Win32Control;
  friend LRESULT CALLBACK MainWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK PictureWindowProc(HWND, UINT, WPARAM, LPARAM);

  void CreateControls(HINSTANCE instance);
  void Move();
  Win32Control& Get(ControlId id) { return *controls_[static_cast<int>(id)]; }

  // Window procedure helpers (win32_window_proc.cc).
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void DrawButton(const DRAWITEMSTRUCT& item);
  HBRUSH LabelBrush(HDC dc, HWND label);
  void PaintPicture(HWND picture);
  void Click(int index);

  HWND hwnd_ = nullptr;
  float left_ = 0, top_ = 0;  // twips, as set
  float width_ = kDesignWindowWidth, height_ = kDesignWindowHeight;
  float twips_per_pixel_x_ = 15;
  float twips_per_pixel_y_ = 15;
  std::array<std::unique_ptr<Win32Control>, kControlCount> controls_;
  bool has_font_owner_ = false;
  ControlId font_owner_ = ControlId::kFrageLabel;
  HFONT own_font_ = nullptr;
  Win32Picture picture_;
  HWND focus_ = nullptr;          // the control that had the focus last
  HBRUSH back_brush_ = nullptr;   // 229, 229, 229
  HBRUSH frame_brush_ = nullptr;  // 231, 231, 231
  std::function<void(int)> click_handler_;
  Win32Transcript transcript_;
  bool unattended_ = false;
  bool keeping_responsive_ = false;
  unsigned long long last_responsive_ = 0;  // GetTickCount64 of the last

  bool run_in_progress_ = false;
  std::function<void()> session_end_handler_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_WINDOW_H_
