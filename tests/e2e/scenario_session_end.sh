#!/usr/bin/env bash
# The end of the session (a log-off, a shutdown) while a run is held in a
# registration: Windows asks first, and the run refuses; when the session
# ends all the same (or, on Linux, SIGTERM arrives), the run report is
# written before the program goes, says so, and the status is 1.
source "$(dirname "$0")/lib.sh"

e2e_fresh
pack_layout <<'EOF_LAYOUT'
Register/Tools/a.dll = a
EOF_LAYOUT
drv_install_program
gate=$E2E_TMP/gate
: >"$gate"
ROLVEX_REGSVR32_GATE=$(drv_program_path "$gate")
export ROLVEX_REGSVR32_GATE ROLVEX_UNATTENDED=1
e2e_report_on
drv_start 2
for ((i = 0; i < 600; i++)); do
  [[ -s "$REGSVR32_LOG" ]] && break
  sleep 0.1
done
drv_end_session
if [[ "$(drv_platform)" == wine ]]; then
  [[ "$E2E_SESSION_ANSWER" == "query 0" ]] ||
    fail "the end of the session was not refused: [$E2E_SESSION_ANSWER]"
fi
drv_finish
rm -f "$gate"
assert_status 1 "the session ended during the run"
assert_report '[.exit_status, .interrupted_by] | join(" ")' "1 end of session"
assert_out_has "(the session ended during the run)"
unset ROLVEX_REGSVR32_GATE ROLVEX_UNATTENDED

e2e_finish
