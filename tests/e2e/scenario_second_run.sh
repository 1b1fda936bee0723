#!/usr/bin/env bash
# One run at a time: while a run is held in the middle of a registration, a
# second start (a deployment retry, a pack started twice) ends at once with
# 1618, Windows Installer's "another installation is in progress", which
# deployment agents retry later. It writes no log line, no report, and
# changes nothing; the first run then completes. A run killed outright
# leaves nothing that stops the next one, and a report saying "running".
source "$(dirname "$0")/lib.sh"

e2e_fresh
pack_layout <<'EOF_LAYOUT'
Standard/Data/f.txt = f
Register/Tools/a.dll = a
EOF_LAYOUT
drv_install_program
gate=$E2E_TMP/gate
: >"$gate"
ROLVEX_REGSVR32_GATE=$(drv_program_path "$gate")
export ROLVEX_REGSVR32_GATE ROLVEX_UNATTENDED=1

# Waits until the registration log has N lines: the run is then held.
wait_for_registrations() {
  local i
  for ((i = 0; i < 600; i++)); do
    (($(cat "$REGSVR32_LOG" 2>/dev/null | wc -l) >= $1)) && return 0
    sleep 0.1
  done
  fail "the run never reached registration $1"
}

E2E_OUT=$E2E_TMP/out-first.txt drv_start 2
wait_for_registrations 1

e2e_snapshot "$DRIVE_C" >"$E2E_TMP/pc-before"
e2e_report_on
drv_run 2
assert_status 1618 "a second run while the first holds the machine"
e2e_snapshot "$DRIVE_C" >"$E2E_TMP/pc-after"
cmp -s "$E2E_TMP/pc-before" "$E2E_TMP/pc-after" ||
  fail "the second run changed the PC: $(diff "$E2E_TMP/pc-before" "$E2E_TMP/pc-after" | head -5)"
assert_no_file "$REPORT"

rm -f "$gate"
drv_finish
assert_status 0 "the first run, let go"
assert_file_eq "$DRIVE_C/Tools/a.dll" "a"
unset ROLVEX_REPORT

# A run killed outright holds nothing any more, and its report says that
# it never ended.
: >"$gate"
e2e_report_on
E2E_OUT=$E2E_TMP/out-first.txt drv_start 2
wait_for_registrations 3
drv_kill
rm -f "$gate"
e2e_check_report "$REPORT"
assert_report '[.state, .exit_status] | tostring' '["running",null]'
unset ROLVEX_REPORT
drv_run 2
assert_status 0 "a run after a killed one"
unset ROLVEX_REGSVR32_GATE ROLVEX_UNATTENDED

e2e_finish
