// Every platform part as a fake, for tests that build a layer's state or a
// whole installer: an in-memory file system behind a fault-injecting
// decorator, in-memory ini files and environment, a recording window,
// processes, restarts and clock. A test of one layer hands the parts it
// looks at itself to With(); the others stay spare.
#ifndef ROLVEX_TESTS_FAKES_FAKE_PARTS_H_
#define ROLVEX_TESTS_FAKES_FAKE_PARTS_H_

#include "fakes/fake_code_page.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_settings.h"
#include "fakes/faulty_file_system.h"
#include "fakes/memory_file_system.h"
#include "fakes/recording_window.h"
#include "platform/platform_parts.h"

namespace rolvex {

struct FakeParts {
  PlatformParts Parts() {
    return {files,    profiles, environment, processes,
            restarts, window,   clock,       code_page};
  }
  // The settings layer's parts, the rest spare.
  PlatformParts With(ProfileStore& p, Environment& e) {
    return {files, p, e, processes, restarts, window, clock, code_page};
  }
  // The reporting layer's parts, the rest spare.
  PlatformParts With(ProfileStore& p, Environment& e, FileSystem& f,
                     Window& w) {
    return {f, p, e, processes, restarts, w, clock, code_page};
  }

  MemoryFileSystem memory;
  FaultyFileSystem files{memory};
  MemoryProfileStore profiles;
  FakeEnvironment environment;
  RecordingWindow window;
  FakeProcessRunner processes;
  FakeRestartScheduler restarts;
  FakeClock clock;
  FakeCodePage code_page;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_FAKES_FAKE_PARTS_H_
