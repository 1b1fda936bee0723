// Fakes for the platform parts a test of one layer does not look at, so that
// it can build that layer's state over the parts it does look at.
#ifndef ROLVEX_TESTS_FAKES_SPARE_PARTS_H_
#define ROLVEX_TESTS_FAKES_SPARE_PARTS_H_

#include "fakes/fake_processes.h"
#include "fakes/fake_settings.h"
#include "fakes/memory_file_system.h"
#include "fakes/recording_window.h"
#include "platform/platform_parts.h"

namespace rolvex {

struct SpareParts {
  // The settings layer's parts, the rest spare.
  PlatformParts With(ProfileStore& p, Environment& e) {
    return {files, p, e, processes, restarts, window, clock};
  }
  // The reporting layer's parts, the rest spare.
  PlatformParts With(ProfileStore& p, Environment& e, FileSystem& f,
                     Window& w) {
    return {f, p, e, processes, restarts, w, clock};
  }

  MemoryFileSystem files;
  MemoryProfileStore profiles;
  FakeEnvironment environment;
  RecordingWindow window;
  FakeProcessRunner processes;
  FakeRestartScheduler restarts;
  FakeClock clock;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_FAKES_SPARE_PARTS_H_
