#include "passes/ini_merge.h"

namespace rolvex {

void ClassifyIniItem(IniMergeState& state, const std::string& item) {
  const std::size_t open = item.find('[');
  const std::size_t close = item.find(']');
  // Positions counted from 0: the "]" at the third character is index 2.
  if (open == 0 && close != std::string::npos && close >= 2) {
    state.section = item.substr(1, close - 1);
    state.key.clear();
    state.value.clear();
    return;
  }
  if (state.section.empty()) return;
  const std::size_t equals = item.find('=');
  if (equals == std::string::npos) return;
  state.key = item.substr(0, equals);
  state.value = item.substr(equals + 1);
}

}  // namespace rolvex
