#!/usr/bin/env bash
# The bundled example service pack (examples/servicepack), installed twice
# as tools/demo.sh does it: the first run creates folders, copies, registers
# and merges; the second keeps the installed files ("Unverändert"), replaces
# the font as always, and registers and merges again. The run report of
# each run stands for its log, entry by entry.
source "$(dirname "$0")/lib.sh"

e2e_fresh
cp -a "$E2E_REPO/examples/servicepack/." "$SP/"
if [[ "$(drv_platform)" == wine ]]; then
  # The example's self-registering component is a shell script, which only
  # the Linux program can start: under Wine a Windows program that notes its
  # calls the same way takes its place, and the pack is sealed again.
  drv_make_component "$SP/Register/\$QueltToolsDir\$/QueltServer.exe" QueltServer.exe
  drv_pack seal "$SP"
  [[ $E2E_PACK_STATUS == 0 ]] || fail "sealing the pack again: $(cat "$E2E_TMP/pack-err.txt")"
fi
mkdir -p "$DRIVE_C/Windows/Fonts"
crlf "[Allgemein]" "Version=3.1.0" "Maschine=M-4711" | put "$DRIVE_C/Windows/Quelt.ini"
S='C:\ServicePacks\Standard'
kept=$'Unver\xe4ndert:' # the texts file is Latin-1

drv_install_program
e2e_report_on
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
assert_example_report() {
  local T1="Standard-Dateien werden installiert" T2="Komponenten werden registriert"
  local T3="Ini-Dateien werden aktualisiert" T14="Fehler" T16="Verzeichnis angelegt:"
  local T17="Kopiert:" T18="Komponente:" T19="Ini-Eintrag" T20="Abschnitt:"
  local T21=$'Schl\xfcssel:' T22="Wert:" T28=$kept T29="Installation abgebrochen"
  local T30="Fehler beim Setzen der Attribute"
  assert_report_matches_log
  assert_report '[.preview, .restart_required, .service_pack.folder,
    .service_pack.version, .log] | join(" ")' \
    'false false C:\ServicePacks 3.2.0 C:\QueltServicePack.log'
  assert_report '.counts.total | .entries == .ok' true
}
assert_example_report
assert_report '[.entries[] | select(.action == "registered")][0].commands[].line' \
  'RegSvr32 /u /s C:\QueltTools\QueltChart.ocx
RegSvr32 /s C:\QueltTools\QueltChart.ocx'
assert_registrations <<'EOF_REG'
RegSvr32 /u /s C:\QueltTools\QueltChart.ocx
RegSvr32 /s C:\QueltTools\QueltChart.ocx
QueltServer.exe /regserver
EOF_REG

cp "$DRIVE_C/QueltServicePack.log" "$E2E_TMP/log-first"
: >"$REGSVR32_LOG"
drv_run 2
assert_status 0
assert_log_like "$kept $S\\\$QueltToolsDir\$\Version.txt <T>  -> C:\QueltTools\Version.txt <T>"
assert_log_like "$kept $S\Handbuch\Bedienung.txt <T>  -> C:\Handbuch\Bedienung.txt <T>"
assert_log_count "Verzeichnis angelegt: C:\QueltTools" 1
# The second run's report stands for the lines it added to the log.
cp "$DRIVE_C/QueltServicePack.log" "$E2E_TMP/log-both"
tail -c +$(($(stat -c %s "$E2E_TMP/log-first") + 1)) "$E2E_TMP/log-both" \
  >"$DRIVE_C/QueltServicePack.log"
assert_example_report
assert_report '[.entries[] | select(.action == "font-replaced" or .action == "kept")
  | .action] | unique | join(" ")' "font-replaced kept"
cp "$E2E_TMP/log-both" "$DRIVE_C/QueltServicePack.log"
assert_log_count "Kopiert: C:\ServicePacks\Ini\\\$QueltToolsDir\$\Diagnose.ini C:\QueltTools\Diagnose.ini" 1
assert_registrations <<'EOF_REG'
RegSvr32 /u /s C:\QueltTools\QueltChart.ocx
RegSvr32 /s C:\QueltTools\QueltChart.ocx
QueltServer.exe /unregserver
QueltServer.exe /regserver
EOF_REG

e2e_finish
