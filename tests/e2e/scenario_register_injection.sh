#!/usr/bin/env bash
# Register file names holding blanks, ";", "$(...)", backticks, quotes and
# "&": the command lines are handed to the platform unquoted and split by
# its rules, and no part of a name ever runs as a command of its own. Each
# injected command would create a marker file e2e-marker<N>; none appears.
source "$(dirname "$0")/lib.sh"

e2e_fresh
evil="evil ;touch e2e-marker1; \$(touch e2e-marker2) \`touch e2e-marker3\` 'q' & x.dll"
put "$SP/Register/$evil" "library"
drv_make_component "$SP/Register/a;touch e2e-marker4;.exe" "a;touch e2e-marker4;.exe"
drv_make_component "$SP/Register/b \$(touch e2e-marker5).exe" "b \$(touch e2e-marker5).exe"

drv_install_program
drv_run 2
assert_status 0

assert_registrations <<EOF_REG
a;touch e2e-marker4;.exe /regserver
b \$(touch e2e-marker5).exe /regserver
RegSvr32 /u /s C:\\$evil
RegSvr32 /s C:\\$evil
EOF_REG
assert_file_eq "$DRIVE_C/$evil" "library"
assert_log_count "$T18 C:\\$evil" 2
markers=$(find "$E2E_TMP" "$PWD" -maxdepth 6 -name 'e2e-marker[0-9]' 2>/dev/null)
[[ -z "$markers" ]] || fail "a second command ran: $markers"

e2e_finish
