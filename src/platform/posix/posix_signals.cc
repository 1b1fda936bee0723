#include "platform/posix/posix_signals.h"

#include <signal.h>

namespace rolvex {
namespace {

void IgnoreBrokenPipe(int) {}

volatile sig_atomic_t g_held = 0;
volatile sig_atomic_t g_ended = 0;

void OnEndOfSession(int signal_number) {
  if (!g_held) {
    // Not in a run: the default end, as if nothing had been installed.
    ::signal(signal_number, SIG_DFL);
    raise(signal_number);
    return;
  }
  g_ended = 1;
}

}  // namespace

void NoteEndOfSession() {
  struct sigaction action = {};
  action.sa_handler = OnEndOfSession;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a wait for an answer on the console ends at once.
  action.sa_flags = 0;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

void HoldSession(bool in_progress) { g_held = in_progress ? 1 : 0; }

bool SessionEnded() { return g_ended != 0; }

void SurviveClosedOutput() {
  struct sigaction action = {};
  action.sa_handler = IgnoreBrokenPipe;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGPIPE, &action, nullptr);
}

}  // namespace rolvex
