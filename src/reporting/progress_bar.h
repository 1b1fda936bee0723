// The progress bar of the passes.
#ifndef ROLVEX_REPORTING_PROGRESS_BAR_H_
#define ROLVEX_REPORTING_PROGRESS_BAR_H_

#include <string>

#include "reporting/reporting_state.h"

namespace rolvex {

// Sets the fill to done x 100 / total x frame width / 100 (double precision).
void Balken(ReportingState& state, double done, double total,
            const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_PROGRESS_BAR_H_
