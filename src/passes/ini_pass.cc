#include "passes/ini_pass.h"

namespace rolvex {

void IniKopieren(PassState& state, const std::string& call_path) {
  (void)state;
  (void)call_path;
}

}  // namespace rolvex
