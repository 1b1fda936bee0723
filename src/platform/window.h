// The installer's one window, as the core sees it.
//
// Lengths are twips (1/1440 inch) in single precision on this interface;
// backends convert to pixels with the screen's twips per pixel. Captions are
// bytes in the system's 8-bit code page; the backend decodes them for display.
// All calls happen on the window's one thread.
#ifndef ROLVEX_PLATFORM_WINDOW_H_
#define ROLVEX_PLATFORM_WINDOW_H_

#include <functional>
#include <string>

namespace rolvex {

// The controls of the window, by their design names.
enum class ControlId {
  kHinterGrund,    // background picture
  kFrageLabel,     // status label
  kBalkenPicture,  // progress bar frame
  kBalkenShape,    // progress bar fill, inside the frame
  kLabel1,
  kLabel2,
  kLabel3,
  kTaste0,  // start button
  kTaste1,  // exit button
};

class Control {
 public:
  virtual ~Control() = default;
  virtual float Left() = 0;
  virtual float Top() = 0;
  virtual float Width() = 0;
  virtual float Height() = 0;
  virtual void SetLeft(float twips) = 0;
  virtual void SetTop(float twips) = 0;
  virtual void SetWidth(float twips) = 0;
  virtual void SetHeight(float twips) = 0;
  virtual bool Visible() = 0;
  virtual void SetVisible(bool visible) = 0;
  // Labels and buttons; a label shows each line-feed-separated line.
  virtual std::string Caption() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // Font size in points (14.25 is a valid size).
  virtual float FontSize() = 0;
  virtual void SetFontSize(float points) = 0;
};

// Message box buttons and answers.
enum MessageBoxStyle : int {
  kMbOk = 0,
  kMbAbortRetryIgnoreCritical = 18,  // vbAbortRetryIgnore + vbCritical
};
enum MessageBoxAnswer : int {
  // Nobody could answer: the window is unattended, nobody can see it, or
  // its input has ended. No box waited for an answer.
  kAnswerNone = 0,
  kAnswerOk = 1,
  kAnswerAbort = 3,
  kAnswerRetry = 4,
  kAnswerIgnore = 5,
};

class Window {
 public:
  virtual ~Window() = default;

  virtual Control& control(ControlId id) = 0;

  // The window's outer position and size in twips.
  virtual float Left() = 0;
  virtual float Top() = 0;
  virtual float Width() = 0;
  virtual float Height() = 0;
  virtual void SetLeft(float twips) = 0;
  virtual void SetTop(float twips) = 0;
  virtual void SetWidth(float twips) = 0;
  virtual void SetHeight(float twips) = 0;

  // The window's font becomes the font of `control` (shared: a later size
  // change of the control's font is the window's too).
  virtual void UseFontOf(ControlId control) = 0;
  // Width of `text` in twips, measured with the window's font.
  virtual float TextWidth(const std::string& text) = 0;

  virtual float ScreenWidthTwips() = 0;
  virtual float ScreenHeightTwips() = 0;
  virtual float TwipsPerPixelX() = 0;
  virtual float TwipsPerPixelY() = 0;

  // Brings the window to the front of the z-order; shows it (not modal).
  virtual void BringToFront() = 0;
  virtual void Show() = 0;
  // SetWindowPos(window, HWND_TOPMOST, x, y, cx, cy, SWP_NOACTIVATE), all in
  // pixels: the window keeps above other windows without taking the focus.
  virtual void SetTopmostNoActivate(int x, int y, int cx, int cy) = 0;

  // Processes the pending events once: repaints, and runs queued button
  // clicks to completion inside this call.
  virtual void DoEvents() = 0;

  // A modal message box. `style` is kMbOk or kMbAbortRetryIgnoreCritical;
  // an empty `title` gives the program's default title. Returns a
  // MessageBoxAnswer: kAnswerNone, without waiting, when nobody can answer
  // (see SetUnattended; a window may also know it by itself, as a window on
  // an invisible desktop or a console whose input has ended does). A window
  // that keeps a transcript writes the box's text there either way.
  virtual int MessageBox(const std::string& text, int style,
                         const std::string& title) = 0;
  // From now on nobody is there to answer: MessageBox shows no box.
  virtual void SetUnattended() = 0;

  // Keeps the window alive during long work between the points where
  // DoEvents runs: it repaints and handles what other programs send it, so
  // that the system never takes it for hung, but it takes no input: no
  // click runs inside this call. Cheap enough to call every few
  // milliseconds.
  virtual void KeepResponsive() = 0;

  // While a run is in progress the window asks the system not to end the
  // session (log-off, shutdown) and refuses where the system asks.
  virtual void SetRunInProgress(bool in_progress) = 0;
  // Runs `handler` when the session ends all the same while a run is in
  // progress; the process ends right after it, without a further step.
  virtual void SetSessionEndHandler(std::function<void()> handler) = 0;

  // Ends the program at once with `exit_status`: nothing runs after it and
  // the window is removed. (The test fake throws instead.)
  [[noreturn]] virtual void EndProgram(int exit_status) = 0;

  // The command-line argument text without the program's own path, as the
  // process was started, and the program's folder as a Windows path (no
  // trailing backslash except at a drive root).
  virtual std::string CommandLine() = 0;
  virtual std::string ProgramDirectory() = 0;

  // Called with the button's index (0 start, 1 exit) on a click.
  virtual void SetClickHandler(std::function<void(int index)> handler) = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WINDOW_H_
