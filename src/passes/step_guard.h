// The continue-after-error rule of the passes and of the dated copy, built
// once: every step runs on its own, a failure of it is reported and the
// procedure goes on with its next step.
#ifndef ROLVEX_PASSES_STEP_GUARD_H_
#define ROLVEX_PASSES_STEP_GUARD_H_

#include <exception>
#include <functional>
#include <utility>

#include "platform/run_error.h"

namespace rolvex {

// A failure that is not a RunError (a library exception that escaped a
// backend, memory running out) becomes one, so that it is reported like any
// other failure instead of ending the program: 7 "Out of memory" or 51
// "Internal error" with the exception's text.
RunError AsRunError(const std::exception& failure);

class StepGuard {
 public:
  // `report` is called with every failure a guarded step raises. A failure
  // raised by `report` itself is not caught: it goes on to the caller.
  explicit StepGuard(std::function<void(const RunError&)> report)
      : report_(std::move(report)) {}

  // Runs one statement. Returns true when it completed, false when it failed
  // (the failure has been reported).
  template <typename Step>
  bool run(Step&& step) {
    try {
      std::forward<Step>(step)();
      return true;
    } catch (const RunError& failure) {
      report_(failure);
    } catch (const std::exception& failure) {
      report_(AsRunError(failure));
    }
    return false;
  }

  // Evaluates the condition of an If or loop. A test that fails is reported
  // and yields true: processing goes on with the first step of the true
  // branch (or of the loop's body), as a run-time error resumed at the next
  // statement does.
  template <typename Test>
  bool test(Test&& condition) {
    bool result = true;
    run([&] { result = static_cast<bool>(std::forward<Test>(condition)()); });
    return result;
  }

 private:
  std::function<void(const RunError&)> report_;
};

}  // namespace rolvex

#endif  // ROLVEX_PASSES_STEP_GUARD_H_
