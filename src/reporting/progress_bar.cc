#include "reporting/progress_bar.h"

#include <cmath>
#include <limits>

#include "platform/run_error.h"

namespace rolvex {
namespace {

constexpr int kErrDivisionByZero = 11;

}  // namespace

void Balken(ReportingState& state, double done, double total,
            const std::string& call_path) {
  (void)call_path;  // reports nothing; the location serves the convention
  const double frame_width =
      state.window.control(ControlId::kBalkenPicture).Width();
  if (total == 0) {
    throw RunError(kErrDivisionByZero, "Division by zero");
  }
  const double fill = done * 100 / total * frame_width / 100;
  if (!std::isfinite(fill) ||
      std::fabs(fill) > std::numeric_limits<float>::max()) {
    throw RunError::Of(kErrOverflow);
  }
  state.window.control(ControlId::kBalkenShape)
      .SetWidth(static_cast<float>(fill));
}

}  // namespace rolvex
