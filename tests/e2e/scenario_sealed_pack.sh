#!/usr/bin/env bash
# A sealed pack. The pack tool seals the example pack in the format
# `sha256sum -c` reads, to the same bytes every time, and finds it intact.
# Then a Standard file, a library for System32 (which may be staged for the
# restart, so it is checked before), a component and an ini source are
# altered and a file the seal does not list is added: the tool names each, the preview foresees
# their failures, and the run installs everything else, refuses those four
# with 1392 (the PC's files are not replaced), ends with 1 and says why in
# its report. A seal that cannot be read installs nothing at all.
source "$(dirname "$0")/lib.sh"

pack_lines() { tr -d '\r' <"$E2E_TMP/pack.txt"; }

e2e_fresh
cp -a "$E2E_REPO/examples/servicepack/." "$SP/"
rm -f "$SP/Rolvex.sha256"
put "$SP/Standard/\$WinDir\$/System32/quelt.dll" "library"
# A name beyond ASCII: sealed in UTF-8, named in the PC's code page.
put "$SP/Standard/Handbuch/Übersicht.txt" "intact"
mkdir -p "$DRIVE_C/Windows/Fonts" "$DRIVE_C/Windows/System32"
crlf "[Allgemein]" "Version=3.1.0" | put "$DRIVE_C/Windows/Quelt.ini"

drv_pack seal "$SP"
[[ $E2E_PACK_STATUS == 0 ]] ||
  fail "seal: status $E2E_PACK_STATUS: $(cat "$E2E_TMP/pack-err.txt")"
(cd "$SP" && sha256sum --quiet --strict -c Rolvex.sha256) ||
  fail "sha256sum -c does not accept the seal"
[[ $(wc -l <"$SP/Rolvex.sha256") == 14 ]] ||
  fail "the seal lists $(wc -l <"$SP/Rolvex.sha256") files, not the 14 of the pack"
cp "$SP/Rolvex.sha256" "$E2E_TMP/first-seal"
drv_pack seal "$SP"
cmp -s "$SP/Rolvex.sha256" "$E2E_TMP/first-seal" || fail "sealing again changed the seal"
drv_pack verify "$SP"
[[ $E2E_PACK_STATUS == 0 ]] || fail "verify of an intact pack: status $E2E_PACK_STATUS"

# Altered in transit, each newer than the seal says nothing about.
printf 'altered\r\n' >>"$SP/Standard/Handbuch/Bedienung.txt"
printf 'x' >>"$SP/Standard/\$WinDir\$/System32/quelt.dll"
printf 'x' >>"$SP/Register/\$QueltToolsDir\$/QueltChart.ocx"
printf '[Allgemein]\r\nVersion=6.6.6\r\n' >"$SP/Ini/\$WinDir\$/Quelt.ini"
put "$SP/Standard/Extra.txt" "not sealed"
drv_pack verify "$SP"
[[ $E2E_PACK_STATUS == 1 ]] || fail "verify of an altered pack: status $E2E_PACK_STATUS"
[[ "$(pack_lines | sort)" == "$(sort <<'EOF_VERIFY'
changed     Standard/Handbuch/Bedienung.txt
changed     Standard/$WinDir$/System32/quelt.dll
not listed  Standard/Extra.txt
changed     Register/$QueltToolsDir$/QueltChart.ocx
changed     Ini/$WinDir$/Quelt.ini
5 differences from the seal
EOF_VERIFY
)" ]] || fail "verify named: $(pack_lines)"

drv_install_program
e2e_report_on
E2E_PREVIEW_JSON=$E2E_TMP/preview.json
e2e_preview
[[ $E2E_PREVIEW_STATUS == 1 ]] || fail "preview status $E2E_PREVIEW_STATUS, expected 1"
[[ $(preview_text | grep -ac 'would fail: Number 1392 ') == 5 ]] ||
  fail "the preview does not foresee the five refusals: $(preview_text | grep -a 1392)"
preview_text | grep -a 'Extra.txt .*-- would fail: Number 1392 .*(the seal does not list it)' >/dev/null ||
  fail "the preview does not say the seal lacks Extra.txt"
preview_text | grep -a 'Bedienung.txt .*-- would fail: Number 1392 .*(its SHA-256 differs from the seal)' >/dev/null ||
  fail "the preview does not say Bedienung.txt differs from the seal"

drv_run 2
assert_status 1
assert_no_file "$DRIVE_C/Handbuch/Bedienung.txt"
assert_no_file "$DRIVE_C/Extra.txt"
assert_no_file "$DRIVE_C/Windows/System32/quelt.dll"
assert_no_file "$DRIVE_C/QueltTools/QueltChart.ocx"
assert_ini "$DRIVE_C/Windows/Quelt.ini" Allgemein Version 3.1.0
# The rest of the pack is installed.
assert_same_file "$DRIVE_C/Handbuch/Übersicht.txt" "$SP/Standard/Handbuch/Übersicht.txt"
assert_same_file "$DRIVE_C/QueltTools/Diagnose/Bin/NetCheck.cfg" \
  "$SP/Standard/\$QueltToolsDir\$/Diagnose/Bin/NetCheck.cfg"
assert_same_file "$DRIVE_C/QueltTools/Diagnose.ini" \
  "$SP/Ini/\$QueltToolsDir\$/Diagnose.ini"
assert_exists "$DRIVE_C/Windows/Fonts/QueltSans.ttf"
[[ $(log_lines | grep -ac 'Number:1392; Description:The file or directory is corrupted and unreadable ') == 5 ]] ||
  fail "the log does not show the five refusals"
# A refused file is one failure: its target is not touched afterwards.
log_lines | grep -a 'Number:' | grep -av 'Number:1392;' | grep -a 'Bedienung\|Extra\|quelt' &&
  fail "a refused file met a second failure"
assert_report '[.entries[] | select(.seal) | "\(.seal.state) \(.error.number) \(.source)"] | sort | .[]' \
  'differs 1392 C:\ServicePacks\Ini\$WinDir$\Quelt.ini
differs 1392 C:\ServicePacks\Register\$QueltToolsDir$\QueltChart.ocx
differs 1392 C:\ServicePacks\Standard\$WinDir$\System32\quelt.dll
differs 1392 C:\ServicePacks\Standard\Handbuch\Bedienung.txt
not-listed 1392 C:\ServicePacks\Standard\Extra.txt'
assert_report '[.entries[] | select(.seal.state == "differs") | .seal.sealed != .seal.found] | all' true
assert_report '.exit_status' 1

# A seal that cannot be read: nothing of the pack is installed.
e2e_fresh
cp -a "$E2E_REPO/examples/servicepack/." "$SP/"
printf 'not a seal\n' >"$SP/Rolvex.sha256"
drv_install_program
e2e_report_on
drv_run 2
assert_status 1
assert_no_file "$DRIVE_C/QueltTools"
assert_no_file "$DRIVE_C/Handbuch"
assert_report '[.entries[] | "\(.pass) \(.seal.state) \(.error.number) \(.source)"] | .[]' \
  'null unreadable 1392 C:\ServicePacks\Rolvex.sha256'

e2e_finish
