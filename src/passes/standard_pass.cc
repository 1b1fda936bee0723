#include "passes/standard_pass.h"

namespace rolvex {

void StandardKopieren(PassState& state, const std::string& call_path) {
  (void)state;
  (void)call_path;
}

}  // namespace rolvex
