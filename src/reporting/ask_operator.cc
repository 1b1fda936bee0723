#include "reporting/ask_operator.h"

#include "reporting/run_report.h"

namespace rolvex {

bool RunsUnattended(Environment& environment) {
  return environment.Get("ROLVEX_UNATTENDED") == "1";
}

int AskOperator(ReportingState& state, const std::string& text, int style,
                const std::string& title) {
  const int answer = state.window.MessageBox(text, style, title);
  if (answer != kAnswerNone) return answer;
  state.run_report.NoteAnsweredAutomatically();
  return style == kMbAbortRetryIgnoreCritical ? kAnswerIgnore : kAnswerOk;
}

}  // namespace rolvex
