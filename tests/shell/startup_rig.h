// A whole installer over the fake parts before start-up, for the start-up
// tests: an empty machine (no files, no trees to install) whose only
// written file is the log, a recording window, in-memory ini files and
// environment.
#ifndef ROLVEX_TESTS_SHELL_STARTUP_RIG_H_
#define ROLVEX_TESTS_SHELL_STARTUP_RIG_H_

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_parts.h"
#include "shell/installer.h"
#include "shell/startup.h"

namespace rolvex::startup_testing {

struct StartupRig : FakeParts {
  // Runs the load event. Returns the exit status when the program ended,
  // nothing when start-up returned with the window waiting.
  std::optional<int> Load() {
    try {
      Form_Load(installer);
      return std::nullopt;
    } catch (const ProgramEnded& end) {
      return end.exit_status;
    }
  }

  void SetScreen(float width_px, float height_px) {
    window.screen_width_px = width_px;
    window.screen_height_px = height_px;
  }

  RecordingControl& rec(ControlId id) { return window.rec(id); }

  // The log's lines, with the default log path.
  std::vector<std::string> Log() {
    return memory.Lines("C:\\QueltServicePack.log");
  }

  Installer installer{Parts()};
};

}  // namespace rolvex::startup_testing

#endif  // ROLVEX_TESTS_SHELL_STARTUP_RIG_H_
