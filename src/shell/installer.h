// The installer object: every piece of module-wide and window-level state,
// over the platform parts chosen by the program's composition root.
#ifndef ROLVEX_SHELL_INSTALLER_H_
#define ROLVEX_SHELL_INSTALLER_H_

#include <array>
#include <string>

#include "passes/pass_state.h"

namespace rolvex {

// Screen metrics, measured once at start-up.
struct ScreenMetrics {
  float twips_per_pixel_x = 15;
  float twips_per_pixel_y = 15;
  int screen_width_px = 1024;
  int screen_height_px = 768;
  float width_scale = 1;
  float height_scale = 1;
};

struct Installer : PassState {
  explicit Installer(const PlatformParts& parts) : PassState(parts) {}

  // The words of the command line, entries 1 to 20 at indices 0 to 19.
  std::array<std::string, 20> command_args;
  int arg_count = 0;

  bool vw_studio = false;
  ScreenMetrics metrics;

  // True while Installation runs, so that a second start click is ignored.
  bool run_in_progress = false;
};

}  // namespace rolvex

#endif  // ROLVEX_SHELL_INSTALLER_H_
