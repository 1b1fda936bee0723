#include "fakes/recording_window.h"

namespace rolvex {

RecordingWindow::RecordingWindow() {
  for (const ControlDesign& design : kControlDesigns) {
    RecordingControl& c = controls_[design.id];
    c.left = design.left;
    c.top = design.top;
    c.width = design.width;
    c.height = design.height;
    c.visible = design.visible;
    c.font_size = design.font_size;
    c.caption = design.caption;
  }
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
  if (unattended) return kAnswerNone;
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
