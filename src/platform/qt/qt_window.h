// The installer's window with Qt 6 Widgets, for the Linux program on a
// display.
//
// A frameless top-level window titled "Rolvex" holds the controls of the
// designed layout (background picture, status label, progress frame and
// fill, three text lines, two buttons) with their colours, bold fonts and tab
// order. Lengths are twips on the interface and pixels inside Qt: twips per
// pixel = 1440 / the logical dots per inch of the primary screen. Each length
// is kept as set and shown at the nearest whole pixel.
//
// A QApplication must exist before the window is made, and every call must
// come from its thread.
#ifndef ROLVEX_PLATFORM_QT_QT_WINDOW_H_
#define ROLVEX_PLATFORM_QT_QT_WINDOW_H_

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_controls.h"
#include "platform/window.h"

namespace rolvex {

struct QtWindowOptions {
  std::string command_line;
  std::string program_directory;
  // For screenshots of the unattended modes: the window stays on the screen
  // (processing its events) this long before the program ends.
  int hold_before_end_ms = 0;
  // The platform's end of a session, as for the console window.
  std::function<void(bool in_progress)> hold_session;
  std::function<bool()> session_ended;
};

class QtWindow : public Window {
 public:
  explicit QtWindow(QtWindowOptions options);
  ~QtWindow() override;
  QtWindow(const QtWindow&) = delete;
  QtWindow& operator=(const QtWindow&) = delete;

  Control& control(ControlId id) override;

  float Left() override { return left_; }
  float Top() override { return top_; }
  float Width() override { return width_; }
  float Height() override { return height_; }
  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;

  void UseFontOf(ControlId control) override;
  // QFontMetricsF::horizontalAdvance of the window's font, in twips; for a
  // text with line feeds, that of its widest line.
  float TextWidth(const std::string& text) override;

  float ScreenWidthTwips() override;
  float ScreenHeightTwips() override;
  float TwipsPerPixelX() override { return tppx_x_; }
  float TwipsPerPixelY() override { return tppx_y_; }

  void BringToFront() override;
  void Show() override;
  // Qt::WindowStaysOnTopHint and Qt::WindowDoesNotAcceptFocus, shown without
  // activation, at the given pixels.
  void SetTopmostNoActivate(int x, int y, int cx, int cy) override;

  // One pass of QCoreApplication::processEvents: repaints, and button clicks
  // waiting in the queue run their handler inside this call.
  void DoEvents() override;

  // QMessageBox, modal: kMbOk an OK button and no icon; the
  // Abort/Retry/Ignore style the critical icon and the buttons "&Abort",
  // "&Retry", "&Ignore" (keys a, r, i), Abort the default button, and no way
  // to close the box other than its buttons. Empty title: "Rolvex".
  int MessageBox(const std::string& text, int style,
                 const std::string& title) override;
  void SetUnattended() override { unattended_ = true; }
  // processEvents without user input: paint and the window system's pings
  // are handled, clicks and keys wait for the next DoEvents.
  void KeepResponsive() override;
  // A session manager's request to end the session is cancelled while a run
  // is in progress; an end of the session the options tell of runs the
  // session end handler and ends the program with status 1 at the next
  // KeepResponsive or DoEvents.
  void SetRunInProgress(bool in_progress) override;
  void SetSessionEndHandler(std::function<void()> handler) override {
    session_end_handler_ = std::move(handler);
  }

  // Hides the window, flushes stdout and stderr and leaves the process at
  // once with std::_Exit: no destructor, exit handler or further event of the
  // installer runs after it.
  [[noreturn]] void EndProgram(int exit_status) override;

  std::string CommandLine() override { return options_.command_line; }
  std::string ProgramDirectory() override { return options_.program_directory; }
  void SetClickHandler(std::function<void(int index)> handler) override {
    click_handler_ = std::move(handler);
  }

  QWidget* widget() const { return main_.get(); }

 private:
  void ApplyGeometry();
  void OnClick(int index);
  void EndIfSessionEnded();

  QtWindowOptions options_;
  float tppx_x_, tppx_y_;
  std::unique_ptr<QWidget> main_;
  std::array<std::unique_ptr<QtControl>, 9> controls_;
  std::shared_ptr<QFont> font_;
  float left_ = 0, top_ = 0, width_, height_;
  bool topmost_ = false;
  bool ending_ = false;
  bool unattended_ = false;
  bool run_in_progress_ = false;
  bool keeping_responsive_ = false;
  std::vector<int> deferred_clicks_;
  std::function<void()> session_end_handler_;
  std::function<void(int)> click_handler_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_QT_QT_WINDOW_H_
