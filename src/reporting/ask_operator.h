// Questions to the operator, and what stands in for the answer when nobody
// can give one: a deployment agent's run on a desktop nobody sees, a console
// whose input has ended, or a run told to go unattended.
#ifndef ROLVEX_REPORTING_ASK_OPERATOR_H_
#define ROLVEX_REPORTING_ASK_OPERATOR_H_

#include <string>

#include "reporting/reporting_state.h"

namespace rolvex {

// Whether the environment tells the program that nobody is there to answer
// (ROLVEX_UNATTENDED=1), even on a desktop someone could see.
bool RunsUnattended(Environment& environment);

// Shows a message box (see Window::MessageBox) and returns the answer. When
// nobody can answer, no box waits: an Abort/Retry/Ignore question is
// answered Ignore and an OK box OK, as an operator who let the run go on
// would answer, and the run report marks the entry the box belongs to as
// answered automatically. So an automatic answer never ends the run and
// never sets the cancel latch. Every box the installer shows belongs to a
// failure it has reported, so the run still ends with the failures' status.
int AskOperator(ReportingState& state, const std::string& text, int style,
                const std::string& title);

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_ASK_OPERATOR_H_
