#include "reporting/text_output.h"

#include <cstddef>

namespace rolvex {
namespace {

constexpr char kEllipsis[] = "...";

// `text` as it fits the status label: unchanged when it is not strictly wider
// than the label, else shortened from the end until it fits with "...".
std::string FitToLabel(Window& window, std::string text) {
  const float label_width = window.control(ControlId::kFrageLabel).Width();
  if (!(window.TextWidth(text) > label_width)) return text;
  // Ends at the latest with the empty text, one character per round.
  while (!text.empty() && window.TextWidth(text + kEllipsis) > label_width) {
    text.pop_back();
  }
  return text + kEllipsis;
}

}  // namespace

void TextAusgabe(ReportingState& state, const std::string& text, bool log_only,
                 const std::string& call_path) {
  const std::string location = call_path + ".TextAusgabe";
  LogAusgabe(state, text, location);
  if (log_only) return;

  auto& lines = state.status_lines;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) lines[i] = lines[i + 1];
  lines.back() = FitToLabel(state.window, text);

  std::string caption = lines.front();
  for (std::size_t i = 1; i < lines.size(); ++i) {
    caption += '\n';
    caption += lines[i];
  }
  state.window.control(ControlId::kFrageLabel).SetCaption(caption);
  state.window.DoEvents();
}

void LogAusgabe(ReportingState& state, const std::string& text,
                const std::string& call_path) {
  (void)call_path;
  // An empty path names no file: the open would fail, so nothing is tried.
  if (state.log_file_path.empty()) return;
  try {
    state.files.AppendLine(state.log_file_path, text);
  } catch (...) {
    // The log must never stop a run: a lost line is all a failure costs.
  }
}

}  // namespace rolvex
