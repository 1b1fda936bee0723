#include "fakes/recording_window.h"

namespace rolvex {
namespace {

RecordingControl Make(float left, float top, float width, float height,
                      bool visible, float font_size, std::string caption) {
  RecordingControl c;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  c.visible = visible;
  c.font_size = font_size;
  c.caption = std::move(caption);
  return c;
}

}  // namespace

RecordingWindow::RecordingWindow() {
  controls_[ControlId::kHinterGrund] = Make(0, 0, 15360, 11520, true, 0, "");
  controls_[ControlId::kFrageLabel] = Make(0, 750, 3600, 2760, true, 12, "");
  controls_[ControlId::kBalkenPicture] = Make(0, 0, 3600, 450, false, 0, "");
  controls_[ControlId::kBalkenShape] = Make(0, 0, 15, 500, true, 0, "");
  controls_[ControlId::kLabel1] = Make(2010, 1860, 6000, 390, false, 14.25f, "");
  controls_[ControlId::kLabel2] = Make(2010, 2385, 6000, 390, false, 14.25f, "");
  controls_[ControlId::kLabel3] = Make(2010, 2910, 6000, 390, false, 14.25f, "");
  controls_[ControlId::kTaste0] =
      Make(11460, 5100, 3600, 615, false, 12, "Start Service Pack ");
  controls_[ControlId::kTaste1] = Make(11460, 5850, 3600, 615, false, 12, "Exit");
}

void RecordingWindow::SetTopmostNoActivate(int x, int y, int cx, int cy) {
  topmost = Topmost{x, y, cx, cy};
  calls.push_back("SetTopmostNoActivate");
}

void RecordingWindow::DoEvents() {
  ++do_events_count;
  if (on_do_events) on_do_events();
  while (!pending_clicks_.empty()) {
    int index = pending_clicks_.front();
    pending_clicks_.pop_front();
    if (click_handler_) click_handler_(index);
  }
}

int RecordingWindow::MessageBox(const std::string& text, int style,
                                const std::string& title) {
  message_boxes.push_back({text, style, title});
  if (!answers.empty()) {
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return style == kMbOk ? kAnswerOk : kAnswerIgnore;
}

void RecordingWindow::EndProgram(int exit_status) {
  ended_with = exit_status;
  throw ProgramEnded{exit_status};
}

}  // namespace rolvex
