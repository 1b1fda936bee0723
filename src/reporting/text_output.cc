#include "reporting/text_output.h"

#include <cstddef>
#include <vector>

#include "platform/rules/shown_text.h"

namespace rolvex {
namespace {

constexpr char kEllipsis[] = "...";

// `text` as it fits the status label: unchanged when it is not strictly wider
// than the label, else its longest beginning that fits together with "...",
// followed by "..." (just "..." when not even the dots fit).
//
// Dropping one character at a time would measure a long text once per
// dropped character, which for an error text of many thousand characters
// keeps the window busy for seconds. A text never gets narrower when
// characters are appended to it (also across line breaks, where the widest
// line counts), so no beginning that is already wider than the label on its
// own can fit with the dots, and neither can any longer one. The shortest
// such beginning is found by halving; below it the characters are dropped
// one by one, which takes about as many rounds as the dots are
// characters wide. The line shown is the same as with dropping characters
// from the very end.
std::string FitToLabel(Window& window, const CodePage& code_page,
                       const std::string& text) {
  const float label_width = window.control(ControlId::kFrageLabel).Width();
  auto wider = [&](const std::string& candidate) {
    return window.TextWidth(candidate) > label_width;
  };
  if (!wider(text)) return text;

  // Cut only where a character begins: half a character is no text.
  const std::vector<std::size_t> bounds = code_page.CharacterBounds(text);
  std::size_t low = 0, high = bounds.size() - 1;  // text itself is wider
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (wider(text.substr(0, bounds[middle]))) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  // Ends at the latest with the empty beginning.
  for (std::size_t count = low; count-- > 1;) {
    std::string candidate = text.substr(0, bounds[count]) + kEllipsis;
    if (!wider(candidate)) return candidate;
  }
  return kEllipsis;
}

}  // namespace

void TextAusgabe(ReportingState& state, const std::string& text, bool log_only,
                 const std::string& call_path) {
  const std::string location = call_path + ".TextAusgabe";
  LogAusgabe(state, text, location);
  if (log_only) return;

  auto& lines = state.status_lines;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) lines[i] = lines[i + 1];
  lines.back() = FitToLabel(state.window, state.code_page, text);

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
