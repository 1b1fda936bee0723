#!/usr/bin/env bash
# The bundled example service pack (examples/servicepack), installed twice
# as tools/demo.sh does it: the first run creates folders, copies, registers
# and merges; the second keeps the installed files ("Unverändert"), replaces
# the font as always, and registers and merges again.
source "$(dirname "$0")/lib.sh"

e2e_fresh
cp -a "$E2E_REPO/examples/servicepack/." "$SP/"
mkdir -p "$DRIVE_C/Windows/Fonts"
crlf "[Allgemein]" "Version=3.1.0" "Maschine=M-4711" | put "$DRIVE_C/Windows/Quelt.ini"
S='C:\ServicePacks\Standard'
kept=$'Unver\xe4ndert:' # the texts file is Latin-1

drv_install_program
drv_run 2
assert_status 0
assert_log_has "Standard-Dateien werden installiert"
assert_log_has "Verzeichnis angelegt: C:\QueltTools"
assert_log_has "Verzeichnis angelegt: C:\QueltTools\Diagnose\Bin"
assert_log_has "Verzeichnis angelegt: C:\Handbuch"
assert_log_like "Kopiert: $S\\\$WinDir\$\Fonts\QueltSans.ttf <T> -> C:\Windows\Fonts\QueltSans.ttf"
assert_log_has "Komponente: C:\QueltTools\QueltChart.ocx"
assert_log_has "Kopiert: C:\ServicePacks\Ini\\\$QueltToolsDir\$\Diagnose.ini C:\QueltTools\Diagnose.ini"
assert_log_has $'Ini-Eintrag Abschnitt:Allgemein Schl\xfcssel:Version Wert:3.2.0 -> C:\\Windows\\Quelt.ini'
assert_same_file "$DRIVE_C/QueltTools/Diagnose/Bin/NetCheck.cfg" \
  "$SP/Standard/\$QueltToolsDir\$/Diagnose/Bin/NetCheck.cfg"
assert_ini "$DRIVE_C/Windows/Quelt.ini" Allgemein Version 3.2.0
assert_ini "$DRIVE_C/Windows/Quelt.ini" Allgemein Maschine M-4711
assert_ini "$DRIVE_C/Windows/Quelt.ini" Drucker Name "Werkstatt Halle 2"
assert_ini "$DRIVE_C/Computer.ini" ServicePack Version 3.2.0
assert_ini "$DRIVE_C/Computer.ini" Netz Port 5020
assert_ini_absent "$DRIVE_C/Computer.ini" Visualisierung Hinweis
if [[ "$(drv_platform)" == linux ]]; then
  # The example's self-registering component is a shell script, which only
  # the Linux program can start.
  assert_registrations <<'EOF_REG'
RegSvr32 /u /s C:\QueltTools\QueltChart.ocx
RegSvr32 /s C:\QueltTools\QueltChart.ocx
QueltServer.exe /regserver
EOF_REG
fi

: >"$REGSVR32_LOG"
drv_run 2
assert_status 0
assert_log_like "$kept $S\\\$QueltToolsDir\$\Version.txt <T>  -> C:\QueltTools\Version.txt <T>"
assert_log_like "$kept $S\Handbuch\Bedienung.txt <T>  -> C:\Handbuch\Bedienung.txt <T>"
assert_log_count "Verzeichnis angelegt: C:\QueltTools" 1
assert_log_count "Kopiert: C:\ServicePacks\Ini\\\$QueltToolsDir\$\Diagnose.ini C:\QueltTools\Diagnose.ini" 1
if [[ "$(drv_platform)" == linux ]]; then
  assert_registrations <<'EOF_REG'
RegSvr32 /u /s C:\QueltTools\QueltChart.ocx
RegSvr32 /s C:\QueltTools\QueltChart.ocx
QueltServer.exe /unregserver
QueltServer.exe /regserver
EOF_REG
fi

e2e_finish
