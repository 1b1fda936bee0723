#!/usr/bin/env bash
# Register pass: the exact registration command lines around each copy
# (RegSvr32 for libraries and controls, the component's own /unregserver and
# /regserver for ".exe" files in any letter case), two text 18 lines per
# component, folders created first, a target path with a blank left
# unquoted, and the VisiWin tool library registered at the end when the
# visualisation asks for it.
source "$(dirname "$0")/lib.sh"

e2e_fresh
R='C:\ServicePacks\Register'
pack_layout <<'EOF_LAYOUT'
Register/X.dll = library
Register/$WinDir$/System32/X.ocx = control
Register/My Dir/Y.dll = library in a folder with a blank
EOF_LAYOUT
drv_make_component "$SP/Register/Apps/Srv.exe" "Srv.exe"
drv_make_component "$SP/Register/Tools/new.Exe" "new.Exe"
while IFS= read -r -d '' f; do set_mtime "$f" "2020-01-01 12:00:00"; done \
  < <(find "$SP/Register" -type f -print0)

mkdir -p "$DRIVE_C/Windows/System32"
# An older component already installed: it is asked to unregister itself.
drv_make_component "$DRIVE_C/Apps/Srv.exe" "Srv.exe(old)"
set_mtime "$DRIVE_C/Apps/Srv.exe" "2019-01-01 12:00:00"
put "$DRIVE_C/Skarbo2000/Paramter/Program.ini" $'[Project]\r\nVWStudio=True\r\n'

drv_install_program
drv_run 2
assert_status 0

assert_log_is <<EOF_LOG
$T1
$T2
$T16 C:\My Dir
$T16 C:\Tools
$T18 C:\X.dll
$T17 $R\X.dll <T> -> C:\X.dll
$T18 C:\X.dll
$T18 C:\Apps\Srv.exe
$T17 $R\Apps\Srv.exe <T>  -> C:\Apps\Srv.exe <T>
$T18 C:\Apps\Srv.exe
$T18 C:\My Dir\Y.dll
$T17 $R\My Dir\Y.dll <T> -> C:\My Dir\Y.dll
$T18 C:\My Dir\Y.dll
$T18 C:\Tools\new.Exe
$T17 $R\Tools\new.Exe <T> -> C:\Tools\new.Exe
$T18 C:\Tools\new.Exe
$T18 C:\Windows\System32\X.ocx
$T17 $R\\\$WinDir\$\System32\X.ocx <T> -> C:\Windows\System32\X.ocx
$T18 C:\Windows\System32\X.ocx
$T3
EOF_LOG

# new.Exe was not installed yet when it was to be unregistered: that
# command could not start and left no trace. The VisiWin line is not logged.
assert_registrations <<'EOF_REG'
RegSvr32 /u /s C:\X.dll
RegSvr32 /s C:\X.dll
Srv.exe(old) /unregserver
Srv.exe /regserver
RegSvr32 /u /s C:\My Dir\Y.dll
RegSvr32 /s C:\My Dir\Y.dll
new.Exe /regserver
RegSvr32 /u /s C:\Windows\System32\X.ocx
RegSvr32 /s C:\Windows\System32\X.ocx
RegSvr32 /s C:\VisiWin\VisiWinStudio\System\VWSTool.dll
EOF_REG

assert_file_eq "$DRIVE_C/X.dll" "library"
assert_file_eq "$DRIVE_C/Windows/System32/X.ocx" "control"
assert_file_eq "$DRIVE_C/My Dir/Y.dll" "library in a folder with a blank"
assert_same_file "$DRIVE_C/Apps/Srv.exe" "$SP/Register/Apps/Srv.exe"
for f in "$DRIVE_C/X.dll" "$DRIVE_C/Apps/Srv.exe" "$DRIVE_C/Tools" \
  "$DRIVE_C/Tools/new.Exe" "$DRIVE_C/Windows/System32/X.ocx"; do
  assert_attr "$f" 0
done

# A second run: the components are kept (same dates) and registered again,
# each after being asked to unregister.
: >"$REGSVR32_LOG"
drv_run 2
assert_status 0
assert_log_like "$T28 $R\Tools\new.Exe <T>  -> C:\Tools\new.Exe <T>"
assert_registrations <<'EOF_REG'
RegSvr32 /u /s C:\X.dll
RegSvr32 /s C:\X.dll
Srv.exe /unregserver
Srv.exe /regserver
RegSvr32 /u /s C:\My Dir\Y.dll
RegSvr32 /s C:\My Dir\Y.dll
new.Exe /unregserver
new.Exe /regserver
RegSvr32 /u /s C:\Windows\System32\X.ocx
RegSvr32 /s C:\Windows\System32\X.ocx
RegSvr32 /s C:\VisiWin\VisiWinStudio\System\VWSTool.dll
EOF_REG

# Registrations that fail (exit code 5), and on Linux a RegSvr32 that is
# missing: each register command's entry fails, and the run ends with 1.
e2e_report_on
export ROLVEX_REGSVR32_EXIT=5
drv_run 2
unset ROLVEX_REGSVR32_EXIT
assert_status 1
assert_report '.entries[] | select(.target == "C:\\X.dll")
  | [.outcome, .error.number, (.commands[] | "\(.started) \(.exit_code)")]
  | join(" ")' "failed 5 true 5 true 5"
if [[ "$(drv_platform)" == linux ]]; then
  E2E_RUN_PATH=/var/empty drv_run 2
  assert_status 1
  assert_report '.entries[] | select(.target == "C:\\X.dll")
    | [.outcome, .error.number, (.commands[] | "\(.started)")] | join(" ")' \
    "failed 53 false false"
fi

e2e_finish
