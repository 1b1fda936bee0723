#include "passes/register_pass.h"

namespace rolvex {

void RegKopieren(PassState& state, const std::string& call_path) {
  (void)state;
  (void)call_path;
}

}  // namespace rolvex
