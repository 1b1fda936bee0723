#include "platform/console/console_window.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <utility>

#include "platform/exit_status.h"
#include "platform/rules/ascii_text.h"
#include "platform/rules/shown_text.h"
#include "platform/rules/status_line.h"
#include "platform/window_design.h"

namespace rolvex {
namespace {

// The exit button's status: ended by the exit button before or during a run.
std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
    ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
    --end;
  return text.substr(begin, end - begin);
}

// A caption as the operator reads it: without the "&" that marks a mnemonic
// ("&&" stands for one "&").
std::string WithoutMnemonic(const std::string& caption) {
  std::string shown;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

// A message box's text as terminal lines: its CR LF line ends become LF.
std::string AsLines(const std::string& text) {
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
}

void DefaultExit(int exit_status) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::_Exit(exit_status);
}

}  // namespace

ConsoleControl::ConsoleControl(ControlId id) {
  const ControlDesign& d = DesignOf(id);
  left_ = d.left;
  top_ = d.top;
  width_ = d.width;
  height_ = d.height;
  visible_ = d.visible;
  caption_ = d.caption;
  font_size_ = d.font_size;
}

void ConsoleControl::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (on_caption) on_caption(caption_);
}

ConsoleWindow::ConsoleWindow(std::istream& in, std::ostream& out,
                             ConsoleWindowOptions options,
                             const CodePage& code_page)
    : in_(in),
      out_(out),
      options_(std::move(options)),
      code_page_(code_page),
      controls_{ConsoleControl(ControlId::kHinterGrund),
                ConsoleControl(ControlId::kFrageLabel),
                ConsoleControl(ControlId::kBalkenPicture),
                ConsoleControl(ControlId::kBalkenShape),
                ConsoleControl(ControlId::kLabel1),
                ConsoleControl(ControlId::kLabel2),
                ConsoleControl(ControlId::kLabel3),
                ConsoleControl(ControlId::kTaste0),
                ConsoleControl(ControlId::kTaste1)},
      width_(kDesignWindowWidth),
      height_(kDesignWindowHeight) {
  if (!options_.exit) options_.exit = DefaultExit;
  controls_[static_cast<int>(ControlId::kFrageLabel)].on_caption =
      [this](const std::string& caption) { PrintStatusLine(caption); };
}

Control& ConsoleWindow::control(ControlId id) {
  return controls_[static_cast<int>(id)];
}

float ConsoleWindow::TextWidth(const std::string& text) {
  return options_.twips_per_character *
         static_cast<float>(code_page_.CharacterBounds(text).size() - 1);
}

float ConsoleWindow::ScreenWidthTwips() {
  return static_cast<float>(options_.screen_width_px) *
         options_.twips_per_pixel;
}

float ConsoleWindow::ScreenHeightTwips() {
  return static_cast<float>(options_.screen_height_px) *
         options_.twips_per_pixel;
}

void ConsoleWindow::SetTopmostNoActivate(int x, int y, int cx, int cy) {
  const float t = options_.twips_per_pixel;
  left_ = static_cast<float>(x) * t;
  top_ = static_cast<float>(y) * t;
  width_ = static_cast<float>(cx) * t;
  height_ = static_cast<float>(cy) * t;
}

void ConsoleWindow::DoEvents() {
  out_.flush();
  EndIfSessionEnded();
}

void ConsoleWindow::SetRunInProgress(bool in_progress) {
  run_in_progress_ = in_progress;
  if (options_.hold_session) options_.hold_session(in_progress);
}

void ConsoleWindow::EndIfSessionEnded() {
  if (!run_in_progress_ || !options_.session_ended ||
      !options_.session_ended()) {
    return;
  }
  out_ << "(the session ended during the run)" << std::endl;
  if (session_end_handler_) session_end_handler_();
  EndProgram(kExitFailure);
}

// The label shows the eight status lines joined by line feeds, the newest
// last; each displayed message sets the caption once.
void ConsoleWindow::PrintStatusLine(const std::string& caption) {
  out_ << ShownText(code_page_, NewestStatusLine(caption)) << '\n';
  out_.flush();
}

std::string ConsoleWindow::ReadAnswer(bool& at_end) {
  std::string line;
  at_end = !std::getline(in_, line);
  return at_end ? std::string() : Trim(line);
}

int ConsoleWindow::MessageBox(const std::string& text, int style,
                              const std::string& title) {
  out_ << "--- " << ShownText(code_page_, title.empty() ? kDefaultTitle : title)
       << " ---\n"
       << ShownText(code_page_, AsLines(text)) << '\n';
  const bool question = style == kMbAbortRetryIgnoreCritical;
  for (;;) {
    if (nobody_to_answer_) {
      out_ << "(nobody to answer)" << std::endl;
      return kAnswerNone;
    }
    out_ << (question ? "[a] Abort  [r] Retry  [i] Ignore"
                      : "[OK: press Enter]")
         << std::endl;
    bool at_end = false;
    const std::string answer = AsciiLowerCase(ReadAnswer(at_end));
    // The end of the input is the end of every later answer too.
    nobody_to_answer_ = at_end;
    if (at_end) continue;
    if (!question) return kAnswerOk;
    if (answer == "a" || answer == "abort") return kAnswerAbort;
    if (answer == "r" || answer == "retry") return kAnswerRetry;
    if (answer == "i" || answer == "ignore") return kAnswerIgnore;
    out_ << "Please answer a, r or i." << std::endl;
  }
}

void ConsoleWindow::EndProgram(int exit_status) {
  out_.flush();
  options_.exit(exit_status);
  // The exit function must not return; should it, the end still holds.
  std::_Exit(exit_status);
}

// -1 when `answer` picks no visible button.
int ConsoleWindow::PickButton(const std::string& answer) {
  const ControlId buttons[] = {ControlId::kTaste0, ControlId::kTaste1};
  if (answer == "0" || answer == "1") {
    const int index = answer[0] - '0';
    return control(buttons[index]).Visible() ? index : -1;
  }
  if (answer.empty()) return -1;
  int found = -1;
  for (int index = 0; index < 2; ++index) {
    Control& button = control(buttons[index]);
    if (!button.Visible()) continue;
    const std::string caption =
        AsciiLowerCase(Trim(WithoutMnemonic(button.Caption())));
    if (caption.compare(0, answer.size(), answer) == 0) {
      if (found >= 0) return -1;  // ambiguous
      found = index;
    }
  }
  return found;
}

void ConsoleWindow::RunUntilExit() {
  for (ControlId id :
       {ControlId::kLabel1, ControlId::kLabel2, ControlId::kLabel3}) {
    if (control(id).Visible()) {
      out_ << ShownText(code_page_, control(id).Caption()) << '\n';
    }
  }
  std::string menu;
  for (int index = 0; index < 2; ++index) {
    Control& button =
        control(index == 0 ? ControlId::kTaste0 : ControlId::kTaste1);
    if (!button.Visible()) continue;
    if (!menu.empty()) menu += "  ";
    menu += "[" + std::to_string(index) + "] " +
            Trim(WithoutMnemonic(button.Caption()));
  }
  for (;;) {
    out_ << ShownText(code_page_, menu) << std::endl;
    bool at_end = false;
    const std::string answer = AsciiLowerCase(ReadAnswer(at_end));
    const int index = at_end ? 1 : PickButton(answer);
    if (index < 0) {
      out_ << "Please choose 0 or 1." << std::endl;
      continue;
    }
    if (click_handler_) click_handler_(index);
    // The exit button ends the program inside its handler; at the end of the
    // input nothing else can be pressed.
    if (index == 1 || at_end) EndProgram(kExitByExitButton);
  }
}

}  // namespace rolvex
