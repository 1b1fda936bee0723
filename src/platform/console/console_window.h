// The installer's window on a terminal, for machines without a display and
// for end-to-end tests (ROLVEX_UI=console).
//
// Control properties live in memory with the designed start values. What an
// operator would see is written to the output stream:
// - every caption the status label FrageLabel gets prints its last line (the
//   newest status line) as one line, so each displayed message appears once,
//   in order, exactly as the label shows it (shortened with "..." when it is
//   wider than the label);
// - a message box prints its title, text and choices, and reads the answer as
//   one line from the input stream (see MessageBox);
// - in the interactive mode RunUntilExit prints the three text lines and the
//   two buttons and reads which button to press.
// Nothing else is printed. The PC's text is decoded by its code page and
// shown in the terminal's character set, control characters escaped
// (platform/rules/shown_text.h), so that no name can drive the terminal.
//
// Text widths are a fixed number of twips per character (120 by default, 8
// pixels at 15 twips a pixel, about what the 12 pt bold label font takes), so
// the status label's fitting works as on a screen. The screen is 1024 x 768
// pixels at 15 twips a pixel unless the options say otherwise.
#ifndef ROLVEX_PLATFORM_CONSOLE_CONSOLE_WINDOW_H_
#define ROLVEX_PLATFORM_CONSOLE_CONSOLE_WINDOW_H_

#include <array>
#include <functional>
#include <istream>
#include <ostream>
#include <string>

#include "platform/code_page.h"
#include "platform/window.h"

namespace rolvex {

struct ConsoleWindowOptions {
  std::string command_line;
  std::string program_directory;
  int screen_width_px = 1024;
  int screen_height_px = 768;
  float twips_per_pixel = 15;
  float twips_per_character = 120;
  // Ends the process with the status; must not return. The default flushes
  // the C and C++ streams and calls std::_Exit, so no destructor or exit
  // handler of the installer runs after the end. Tests put a function here
  // that throws.
  std::function<void(int exit_status)> exit;
  // The platform's end of a session (see SetRunInProgress): told when a run
  // is in progress, and asked whether the session has ended meanwhile.
  std::function<void(bool in_progress)> hold_session;
  std::function<bool()> session_ended;
};

class ConsoleControl : public Control {
 public:
  explicit ConsoleControl(ControlId id);
  float Left() override { return left_; }
  float Top() override { return top_; }
  float Width() override { return width_; }
  float Height() override { return height_; }
  void SetLeft(float twips) override { left_ = twips; }
  void SetTop(float twips) override { top_ = twips; }
  void SetWidth(float twips) override { width_ = twips; }
  void SetHeight(float twips) override { height_ = twips; }
  bool Visible() override { return visible_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  std::string Caption() override { return caption_; }
  void SetCaption(const std::string& caption) override;
  float FontSize() override { return font_size_; }
  void SetFontSize(float points) override { font_size_ = points; }

  // Called with each caption set (the status label prints through it).
  std::function<void(const std::string&)> on_caption;

 private:
  float left_, top_, width_, height_;
  bool visible_;
  std::string caption_;
  float font_size_;
};

class ConsoleWindow : public Window {
 public:
  ConsoleWindow(std::istream& in, std::ostream& out,
                ConsoleWindowOptions options, const CodePage& code_page);
  ConsoleWindow(const ConsoleWindow&) = delete;
  ConsoleWindow& operator=(const ConsoleWindow&) = delete;

  Control& control(ControlId id) override;

  float Left() override { return left_; }
  float Top() override { return top_; }
  float Width() override { return width_; }
  float Height() override { return height_; }
  void SetLeft(float twips) override { left_ = twips; }
  void SetTop(float twips) override { top_ = twips; }
  void SetWidth(float twips) override { width_ = twips; }
  void SetHeight(float twips) override { height_ = twips; }

  // Every font is as wide as every other here; only the owner is kept.
  void UseFontOf(ControlId control) override { font_owner_ = control; }
  float TextWidth(const std::string& text) override;

  float ScreenWidthTwips() override;
  float ScreenHeightTwips() override;
  float TwipsPerPixelX() override { return options_.twips_per_pixel; }
  float TwipsPerPixelY() override { return options_.twips_per_pixel; }

  void BringToFront() override {}
  void Show() override { shown_ = true; }
  // Takes the position and size in pixels as the new window measures.
  void SetTopmostNoActivate(int x, int y, int cx, int cy) override;

  // Flushes the output; a terminal has no queued clicks.
  void DoEvents() override;

  // Prints the box. kMbOk: reads one line; any line closes it.
  // kMbAbortRetryIgnoreCritical: reads lines until one is "a", "r" or "i" or
  // the whole word "abort", "retry" or "ignore" (letter case and surrounding
  // blanks ignored); an unrecognised line asks again. Other styles are
  // treated as kMbOk. Once the input has ended (or after SetUnattended)
  // nobody can answer: the box is printed with "(nobody to answer)" and
  // kAnswerNone comes back without reading, so a run without an operator
  // never waits for ever.
  int MessageBox(const std::string& text, int style,
                 const std::string& title) override;
  void SetUnattended() override { nobody_to_answer_ = true; }
  // A terminal has nothing to repaint; the end of the session is looked
  // at, as in DoEvents.
  void KeepResponsive() override { EndIfSessionEnded(); }
  // The session's end, as the options tell it: during a run it runs the
  // session end handler and ends the program with status 1 at the next
  // KeepResponsive or DoEvents.
  void SetRunInProgress(bool in_progress) override;
  void SetSessionEndHandler(std::function<void()> handler) override {
    session_end_handler_ = std::move(handler);
  }

  [[noreturn]] void EndProgram(int exit_status) override;

  std::string CommandLine() override { return options_.command_line; }
  std::string ProgramDirectory() override { return options_.program_directory; }
  void SetClickHandler(std::function<void(int index)> handler) override {
    click_handler_ = std::move(handler);
  }

  // The interactive mode's wait for the buttons: prints the visible text
  // lines and the visible buttons ("[0] Start Service Pack  [1] Exit") and
  // reads lines. A line "0" or "1", or the beginning of exactly one visible
  // button's caption (letter case ignored, "&" of a mnemonic left out, so
  // "s" picks "Start"), presses that button; anything else asks again. At
  // the end of the input the exit button is pressed. Returns only if the
  // click handler does; the program then ends with status 2, as the exit
  // button ends it.
  [[noreturn]] void RunUntilExit();

  bool shown() const { return shown_; }

 private:
  std::string ReadAnswer(bool& at_end);
  void EndIfSessionEnded();
  int PickButton(const std::string& answer);
  void PrintStatusLine(const std::string& caption);

  std::istream& in_;
  std::ostream& out_;
  ConsoleWindowOptions options_;
  const CodePage& code_page_;
  std::array<ConsoleControl, 9> controls_;
  float left_ = 0, top_ = 0, width_, height_;
  ControlId font_owner_ = ControlId::kFrageLabel;
  bool shown_ = false;
  bool nobody_to_answer_ = false;
  bool run_in_progress_ = false;
  std::function<void()> session_end_handler_;
  std::function<void(int)> click_handler_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_CONSOLE_CONSOLE_WINDOW_H_
