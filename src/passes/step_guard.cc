#include "passes/step_guard.h"

#include <new>
#include <string>

namespace rolvex {

RunError AsRunError(const std::exception& failure) {
  if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
    return RunError(7, "Out of memory");
  }
  return RunError(51, std::string("Internal error: ") + failure.what());
}

}  // namespace rolvex
