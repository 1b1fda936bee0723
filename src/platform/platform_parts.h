// The platform parts a program's composition root chooses and hands to the
// installer's state. Every part is owned by the caller and must outlive the
// state built over it.
#ifndef ROLVEX_PLATFORM_PLATFORM_PARTS_H_
#define ROLVEX_PLATFORM_PLATFORM_PARTS_H_

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/process_runner.h"
#include "platform/profile_store.h"
#include "platform/restart_scheduler.h"
#include "platform/window.h"

namespace rolvex {

struct PlatformParts {
  FileSystem& files;
  ProfileStore& profiles;
  Environment& environment;
  ProcessRunner& processes;
  RestartScheduler& restarts;
  Window& window;
  Clock& clock;
  // How the PC's 8-bit text reads.
  const CodePage& code_page;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_PLATFORM_PARTS_H_
