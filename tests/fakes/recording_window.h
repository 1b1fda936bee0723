// A Window for unit tests: properties live in memory, text width is a fixed
// width per character, message box answers come from a queue, and the end of
// the program is an exception the test catches.
#ifndef ROLVEX_TESTS_FAKES_RECORDING_WINDOW_H_
#define ROLVEX_TESTS_FAKES_RECORDING_WINDOW_H_

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"
#include "platform/window_design.h"

namespace rolvex {

// Thrown by RecordingWindow::EndProgram.
struct ProgramEnded {
  int exit_status;
};

class RecordingControl : public Control {
 public:
  float Left() override { return left; }
  float Top() override { return top; }
  float Width() override { return width; }
  float Height() override { return height; }
  void SetLeft(float v) override { left = v; }
  void SetTop(float v) override { top = v; }
  void SetWidth(float v) override { width = v; }
  void SetHeight(float v) override { height = v; }
  bool Visible() override { return visible; }
  void SetVisible(bool v) override { visible = v; }
  std::string Caption() override { return caption; }
  void SetCaption(const std::string& v) override { caption = v; }
  float FontSize() override { return font_size; }
  void SetFontSize(float v) override { font_size = v; }

  float left = 0, top = 0, width = 0, height = 0;
  bool visible = false;
  std::string caption;
  float font_size = 0;
};

struct RecordedMessageBox {
  std::string text;
  int style;
  std::string title;
};

class RecordingWindow : public Window {
 public:
  // Controls start as kControlDesigns has them (geometry, fonts, visibility,
  // captions), the window at its designed size; the screen is 1024 x 768
  // pixels at 15 twips a pixel.
  RecordingWindow();

  Control& control(ControlId id) override { return controls_[id]; }
  RecordingControl& rec(ControlId id) { return controls_[id]; }

  float Left() override { return left; }
  float Top() override { return top; }
  float Width() override { return width; }
  float Height() override { return height; }
  void SetLeft(float v) override { left = v; }
  void SetTop(float v) override { top = v; }
  void SetWidth(float v) override { width = v; }
  void SetHeight(float v) override { height = v; }

  void UseFontOf(ControlId id) override { font_owner = id; }
  // char_width twips per character (bytes), whatever the font.
  float TextWidth(const std::string& text) override {
    return char_width * static_cast<float>(text.size());
  }

  float ScreenWidthTwips() override { return screen_width_px * tppx_x; }
  float ScreenHeightTwips() override { return screen_height_px * tppx_y; }
  float TwipsPerPixelX() override { return tppx_x; }
  float TwipsPerPixelY() override { return tppx_y; }

  void BringToFront() override { calls.push_back("BringToFront"); }
  void Show() override {
    shown = true;
    calls.push_back("Show");
  }
  void SetTopmostNoActivate(int x, int y, int cx, int cy) override;

  // Counts the call and runs the clicks queued with QueueClick.
  void DoEvents() override;
  // Recorded; after SetUnattended every box answers kAnswerNone.
  int MessageBox(const std::string& text, int style,
                 const std::string& title) override;
  void SetUnattended() override { unattended = true; }
  void KeepResponsive() override { ++keep_responsive_count; }
  void SetRunInProgress(bool in_progress) override {
    run_in_progress = in_progress;
  }
  void SetSessionEndHandler(std::function<void()> handler) override {
    session_end_handler = std::move(handler);
  }
  [[noreturn]] void EndProgram(int exit_status) override;

  std::string CommandLine() override { return command_line; }
  std::string ProgramDirectory() override { return program_directory; }
  void SetClickHandler(std::function<void(int)> handler) override {
    click_handler_ = std::move(handler);
  }

  // Test controls.
  void QueueClick(int index) { pending_clicks_.push_back(index); }
  void Click(int index) { click_handler_(index); }
  // Runs first in every DoEvents, so that a test can see what had happened
  // by each point where the window processes its events.
  std::function<void()> on_do_events;
  // Answers for the next message boxes; when the queue is empty an OK box
  // answers OK and an Abort/Retry/Ignore box answers Ignore.
  std::deque<int> answers;

  float left = 0, top = 0, width = kDesignWindowWidth,
        height = kDesignWindowHeight;
  float char_width = 100;
  float screen_width_px = 1024, screen_height_px = 768;
  float tppx_x = 15, tppx_y = 15;
  std::string command_line;
  std::string program_directory = "C:\\ServicePacks";
  std::optional<ControlId> font_owner;
  bool shown = false;
  bool unattended = false;
  bool run_in_progress = false;
  std::function<void()> session_end_handler;
  int do_events_count = 0;
  int keep_responsive_count = 0;
  std::optional<int> ended_with;
  struct Topmost {
    int x, y, cx, cy;
  };
  std::optional<Topmost> topmost;
  std::vector<RecordedMessageBox> message_boxes;
  std::vector<std::string> calls;

 private:
  std::map<ControlId, RecordingControl> controls_;
  std::deque<int> pending_clicks_;
  std::function<void(int)> click_handler_;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_FAKES_RECORDING_WINDOW_H_
