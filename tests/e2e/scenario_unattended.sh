#!/usr/bin/env bash
# Nobody at the screen (a deployment agent's run): with ROLVEX_UNATTENDED=1,
# and on the console also at the end of its input, no box waits. A question
# is answered Ignore and an OK box closed, the log and the passes go on as
# after an operator's answer, the run report marks each such entry as
# answered automatically, the run ends with 1, and the cancel latch stays
# unset, so the next start runs again.
source "$(dirname "$0")/lib.sh"

e2e_fresh
S='C:\ServicePacks\Standard'
pack_layout <<'EOF_LAYOUT'
Standard/Blocker/x.txt = x
Standard/Data/busy.txt = new busy
EOF_LAYOUT
put "$DRIVE_C/Data/busy.txt" "old busy"
set_mtime "$DRIVE_C/Data/busy.txt" "2000-01-01 12:00:00"
# A file where the folder of x.txt should be: its copy and attribute change
# are questions, the pass's own failure after them an OK box.
put "$DRIVE_C/Blocker" "a file, not a folder"
drv_install_program
drv_lock_file "$DRIVE_C/Data/busy.txt"
e2e_report_on

export ROLVEX_UNATTENDED=1
# Answers that would end the run with Abort, were anybody asked.
E2E_ANSWERS="a a a a"
drv_run 2
assert_status 1
assert_log_like "$T14 Number:70; Description:<*> '$S\Data\busy.txt' -> 'C:\Data\busy.txt'; Source:<*>"
assert_log_like "$T30 Number:<*>'C:\Blocker\x.txt'; Source:<*>"
assert_report_matches_log
assert_report '.entries[] | [.target, .outcome, .answered // "-"] | join(" ")' \
  'C:\Blocker\x.txt ignored automatically
C:\Data\busy.txt ignored automatically'
assert_ini_absent "$DRIVE_C/ServicePack.ini" General CancelSP
# Four questions (the new file's attributes are set twice) and the OK box,
# each in the transcript, none waiting.
assert_out_count "(nobody to answer)" 5
assert_file_eq "$DRIVE_C/Data/busy.txt" "old busy"

if [[ "$(drv_platform)" == linux ]]; then
  # The console without the variable: the end of its input is nobody too.
  unset ROLVEX_UNATTENDED
  E2E_ANSWERS=""
  drv_run 2
  assert_status 1
  assert_out_count "(nobody to answer)" 5
  assert_report '[.entries[] | .answered] | unique | join(" ")' automatically
fi
assert_ini_absent "$DRIVE_C/ServicePack.ini" General CancelSP

# The latch was never set: once the file is free, the pack goes on.
drv_unlock_all
export ROLVEX_UNATTENDED=1
drv_run 2
assert_status 1
assert_file_eq "$DRIVE_C/Data/busy.txt" "new busy"
assert_report '[.entries[] | select(.target == "C:\\Data\\busy.txt") | .outcome] | join(" ")' ok
unset ROLVEX_UNATTENDED

e2e_finish
