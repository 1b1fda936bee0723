#include "platform/posix/posix_signals.h"

#include <signal.h>

namespace rolvex {
namespace {

void IgnoreBrokenPipe(int) {}

}  // namespace

void SurviveClosedOutput() {
  struct sigaction action = {};
  action.sa_handler = IgnoreBrokenPipe;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGPIPE, &action, nullptr);
}

}  // namespace rolvex
