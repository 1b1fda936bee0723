// One run at a time on a machine: two installers over the same files, ini
// files, log and cancel latch (a deployment retry after a hang, a pack
// started twice) would each see the other's half-done work.
#ifndef ROLVEX_PLATFORM_RUN_LOCK_H_
#define ROLVEX_PLATFORM_RUN_LOCK_H_

namespace rolvex {

class RunLock {
 public:
  virtual ~RunLock() = default;
  // Takes the machine's run lock for the rest of the process's life (it
  // goes with the process, also when the process is killed). False when
  // another process holds it: the program then ends at once with
  // kExitAnotherRun, before it writes or changes anything. A lock that
  // cannot be made at all (a read-only place) counts as taken: whether
  // another run is going on cannot be told, and refusing every start would
  // be worse.
  virtual bool Claim() = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RUN_LOCK_H_
