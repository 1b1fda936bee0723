// How the program's end tells an unattended rollout what happened. Every
// window ends the program through Window::EndProgram with one of these.
#ifndef ROLVEX_PLATFORM_EXIT_STATUS_H_
#define ROLVEX_PLATFORM_EXIT_STATUS_H_

namespace rolvex {

enum ExitStatus : int {
  kExitCompleted = 0,  // run completed, no failure reported
  kExitCompletedWithFailures = 1,
  // A failure that escaped every handler: it is reported, then the program
  // ends. It counts as a failure, so it shares the number.
  kExitFailure = 1,
  kExitByExitButton = 2,  // exit button, before or during a run
  // Linux, run by root: the prefix's owner's rights could not be taken, so
  // nothing was started; like the exit button, an end before the run.
  kExitNotAsOwner = 2,
  kExitAborted = 3,              // operator's Abort; the cancel latch is set
  kExitLatchSet = 4,             // start refused: the cancel latch was set
  kExitRestartScheduled = 3010,  // completed; a replacement awaits a restart
  // Another run holds the machine: nothing was done. Windows Installer's
  // ERROR_INSTALL_ALREADY_RUNNING, which deployment agents retry later.
  kExitAnotherRun = 1618
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_EXIT_STATUS_H_
