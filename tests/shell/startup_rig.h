// A whole installer over fakes, for the start-up tests: an empty machine
// (no files, no trees to install) whose only written file is the log, a
// recording window, in-memory ini files and environment.
#ifndef ROLVEX_TESTS_SHELL_STARTUP_RIG_H_
#define ROLVEX_TESTS_SHELL_STARTUP_RIG_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_settings.h"
#include "fakes/recording_window.h"
#include "platform/run_error.h"
#include "shell/installer.h"
#include "shell/startup.h"

namespace rolvex::startup_testing {

// No file exists; appended lines are recorded.
class EmptyMachine : public FileSystem {
 public:
  struct Line {
    std::string path, text;
  };
  std::vector<Line> appended;

  std::string Dir(const std::string&, int) override { return ""; }
  std::string DirNext() override { return ""; }
  int GetAttr(const std::string&) override { Missing(); }
  void SetAttr(const std::string&, int) override { Missing(); }
  void FileCopy(const std::string&, const std::string&) override { Missing(); }
  void Kill(const std::string&) override { Missing(); }
  void MkDir(const std::string&) override {
    throw RunError::Of(kErrPathNotFound);
  }
  FileTime DateLastModified(const std::string&) override { Missing(); }
  void AppendLine(const std::string& path, const std::string& line) override {
    appended.push_back({path, line});
  }
  std::unique_ptr<ItemReader> OpenForInput(const std::string&) override {
    Missing();
  }

 private:
  [[noreturn]] static void Missing() { throw RunError::Of(kErrFileNotFound); }
};

class NoProcesses : public ProcessRunner {
 public:
  std::vector<std::string> started;
  std::unique_ptr<Process> Start(const std::string& command_line) override {
    started.push_back(command_line);
    return nullptr;
  }
};

class NoRestarts : public RestartScheduler {
 public:
  bool ReplaceAtRestart(const std::string&, const std::string&) override {
    return false;
  }
};

class InstantClock : public Clock {
 public:
  void Sleep(int) override {}
  std::string FormatLocal(FileTime) override { return ""; }
};

struct StartupRig {
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

  MemoryProfileStore profiles;
  FakeEnvironment environment;
  EmptyMachine files;
  NoProcesses processes;
  NoRestarts restarts;
  RecordingWindow window;
  InstantClock clock;
  Installer installer{PlatformParts{files, profiles, environment, processes,
                                    restarts, window, clock}};
};

}  // namespace rolvex::startup_testing

#endif  // ROLVEX_TESTS_SHELL_STARTUP_RIG_H_
