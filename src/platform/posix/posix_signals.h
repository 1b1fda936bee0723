// Signals the Linux program sets up before anything else runs.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_SIGNALS_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_SIGNALS_H_

namespace rolvex {

// A standard output that closes while the installer runs (the reader of a
// pipe gone, "rolvex 2 | head") must not end an installation half-way:
// SIGPIPE is caught by a handler that does nothing, so such a write merely
// fails (EPIPE) and the run goes on, its log file complete. A handler and
// not SIG_IGN, because a caught signal returns to its default in a program
// the installer starts, while an ignored one would stay ignored there.
void SurviveClosedOutput();

// The end of a session on POSIX: SIGTERM or SIGHUP (a log-off, a shutdown,
// a deployment agent's time-out) while a run is in progress must not cut
// the run off between two files without a word. While HoldSession(true)
// is in force the signal is only noted, and SessionEnded() tells the
// window, which ends the run at its next point of event processing with
// the run report. Outside a run the signals end the program as they would
// by default. Installed once, before anything else runs.
void NoteEndOfSession();
void HoldSession(bool in_progress);
bool SessionEnded();

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_SIGNALS_H_
