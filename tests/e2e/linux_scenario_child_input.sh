#!/usr/bin/env bash
# A started program never reads the operator's answers (Linux only: a
# Windows program started from the installer's window has no console to
# read). A component that reads a line on /unregserver and /regserver gets
# nothing, and the "i" meant for the question after it still answers that
# question: the run ends with 1 (Ignore), not with the Abort of an input
# that seemed to end.
source "$(dirname "$0")/lib.sh"

e2e_fresh
R='C:\ServicePacks\Register'
log=${REGSVR32_LOG//\'/\'\\\'\'}
mkdir -p "$SP/Register/Tools"
printf '#!/bin/sh\nline=none\nread -r line\nprintf "%%s read [%%s]\\n" "$1" "$line" >>'"'"'%s'"'"'\n' \
  "$log" >"$SP/Register/Tools/A.exe"
chmod 755 "$SP/Register/Tools/A.exe"
cp "$SP/Register/Tools/A.exe" "$E2E_TMP/A.exe"
mkdir -p "$DRIVE_C/Tools"
cp "$E2E_TMP/A.exe" "$DRIVE_C/Tools/A.exe"
put "$SP/Register/Tools/B.dll" "new b"
put "$DRIVE_C/Tools/B.dll" "old b"
set_mtime "$DRIVE_C/Tools/B.dll" "2000-01-01 12:00:00"
drv_install_program
drv_lock_file "$DRIVE_C/Tools/B.dll"
e2e_report_on
E2E_ANSWERS="i"
drv_run 2
assert_status 1
assert_registrations <<'EOF_REG'
/unregserver read []
/regserver read []
RegSvr32 /u /s C:\Tools\B.dll
RegSvr32 /s C:\Tools\B.dll
EOF_REG
assert_report '.entries[] | select(.target == "C:\\Tools\\B.dll")
  | [.outcome, .answered // "by the operator"] | join(" ")' \
  "ignored by the operator"
assert_ini_absent "$DRIVE_C/ServicePack.ini" General CancelSP

e2e_finish
