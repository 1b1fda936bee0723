// The progress bar of the passes: the fill BalkenShape inside the frame
// BalkenPicture, anchored at the frame's left edge.
#ifndef ROLVEX_REPORTING_PROGRESS_BAR_H_
#define ROLVEX_REPORTING_PROGRESS_BAR_H_

#include <string>

#include "reporting/reporting_state.h"

namespace rolvex {

// Sets the width of BalkenShape to done x 100 / total x (width of
// BalkenPicture) / 100, computed in this order in double precision and stored
// in single precision. Only the fill's width changes; visibility is the
// passes' business, and no events are processed.
//
// Callers pass total >= 1. A total of 0 throws RunError 11 (Division by zero)
// and a width beyond single precision throws RunError 6 (Overflow), so the
// calling pass reports it instead of drawing a meaningless bar.
void Balken(ReportingState& state, double done, double total,
            const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_PROGRESS_BAR_H_
