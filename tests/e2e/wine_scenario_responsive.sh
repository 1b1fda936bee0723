#!/usr/bin/env bash
# A window that never looks hung (Wine only: the Linux program's console has
# no window, and Qt's is checked in its own tests): during one copy of 1 GB
# and during 3,000 small files, the installer's window answers WM_NULL sent
# with a one-second time-out every time, as Windows' own check for a hung
# window sends it, and IsHungAppWindow never says it hangs.
source "$(dirname "$0")/lib.sh"

export ROLVEX_UNATTENDED=1

# assert_never_hung WHAT: the probe polled at least 3 times, no time-out.
assert_never_hung() {
  local got polls
  e2e_wine_probe_finish
  got=$PROBE_RESULT
  polls=$(awk '{ print $2 }' <<<"$got")
  [[ "$got" == *"timeouts 0 hung 0"* && "${polls:-0}" -ge 3 ]] ||
    fail "$1: the window did not keep answering: [$got]"
  echo "  $1: $got"
}

e2e_fresh
mkdir -p "$SP/Standard/Big"
# Sparse: quick to make, and every byte is still read and written.
truncate -s 1G "$SP/Standard/Big/big.bin"
drv_install_program
e2e_wine_probe_start poll
drv_run 2
assert_status 0
assert_never_hung "a copy of 1 GB"
[[ "$(stat -c %s "$DRIVE_C/Big/big.bin")" == $((1 << 30)) ]] ||
  fail "the large copy is incomplete"
rm -rf "$SP/Standard/Big" "$DRIVE_C/Big"

for d in $(seq -w 1 30); do
  mkdir -p "$SP/Standard/Many/d$d"
  for f in $(seq -w 1 100); do printf '%s' "$d$f" >"$SP/Standard/Many/d$d/f$f.txt"; done
done
e2e_wine_probe_start poll
drv_run 2
assert_status 0
assert_never_hung "3,000 small files"

unset ROLVEX_UNATTENDED

e2e_finish
