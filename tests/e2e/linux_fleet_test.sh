#!/usr/bin/env bash
# The fleet example on a real engine: ansible-playbook runs
# examples/fleet/rollout.yml over 10 Linux prefixes made by
# make_inventory.sh: six plain PCs, one already up to date, one with a file
# in use, one with the cancel latch set and one whose System32 target is in
# use (3010, then the restart). The CSV is checked row by row, and every
# report fetched against the schema.
#
# ROLVEX_BIN: the built rolvex, with rolvex-preview, rolvex-restart and rolvex-pack
# beside it.
set -uo pipefail
repo=${ROLVEX_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=$(cd "$(dirname "${ROLVEX_BIN:?}")" && pwd)
command -v ansible-playbook >/dev/null || {
  echo "linux_fleet_test: ansible-playbook is missing (tools/setup.sh)" >&2
  exit 1
}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/rolvex-fleet.XXXXXX")
holders=()
cleanup() {
  ((${#holders[@]})) && kill "${holders[@]}" 2>/dev/null
  [[ -n "${FLEET_KEEP:-}" ]] || rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() {
  echo "  FAIL [linux_fleet_test]: $*" >&2
  failures=$((failures + 1))
}

# The pack: the example, with a library for System32 besides.
pack=$tmp/pack
cp -a "$repo/examples/servicepack/." "$pack/"
mkdir -p "$pack/Standard/\$WinDir\$/System32"
echo "usb 3.2" >"$pack/Standard/\$WinDir\$/System32/QueltUsb.dll"
touch -d "2024-01-01 12:00" "$pack/Standard/\$WinDir\$/System32/QueltUsb.dll"
# Sealed again, as its author seals a pack after the last change.
"$bin/rolvex-pack" seal "$pack" >/dev/null || fail "the pack could not be sealed"

# flock in a background process that then sleeps (named "sleep").
lock() {
  (exec 9<"$1" && flock -x 9 && exec sleep 600) &
  holders+=($!)
}

prefixes=()
for i in 01 02 03 04 05 06 07 08 09 10; do
  p=$tmp/fleet/pc$i
  mkdir -p "$p/dosdevices" "$p/drive_c/Windows/Fonts" "$p/drive_c/Windows/System32"
  ln -s ../drive_c "$p/dosdevices/c:"
  printf '[Allgemein]\r\nVersion=3.1.0\r\n' >"$p/drive_c/Windows/Quelt.ini"
  echo "usb 3.1" >"$p/drive_c/Windows/System32/QueltUsb.dll"
  touch -d "2020-01-01 12:00" "$p/drive_c/Windows/System32/QueltUsb.dll"
  prefixes+=("$p")
done
c() { echo "$tmp/fleet/pc$1/drive_c"; }
# pc07 is up to date: the pack ran there before.
mkdir -p "$(c 07)/ServicePacks"
cp -a "$pack/." "$(c 07)/ServicePacks/"
cp "$bin/rolvex" "$(c 07)/ServicePacks/"
(cd "$(c 07)/ServicePacks" && ROLVEX_PREFIX=$tmp/fleet/pc07 ROLVEX_UI=console \
  PATH="$repo/tools/regsvr32:$PATH" ./rolvex 2 </dev/null >/dev/null 2>&1)
# pc08: a file the pack replaces is in use.
mkdir -p "$(c 08)/QueltTools"
echo "old" >"$(c 08)/QueltTools/Version.txt"
touch -d "2001-01-01 12:00" "$(c 08)/QueltTools/Version.txt"
lock "$(c 08)/QueltTools/Version.txt"
# pc09: an operator aborted an earlier run.
printf '[General]\r\nCancelSP=True\r\n' >"$(c 09)/ServicePack.ini"
# pc10: the System32 library is in use.
lock "$(c 10)/Windows/System32/QueltUsb.dll"
sleep 0.5

fleet=$repo/examples/fleet
bash "$fleet/make_inventory.sh" "${prefixes[@]}" >"$tmp/inventory.ini" ||
  fail "make_inventory.sh failed"
export ANSIBLE_LOCAL_TEMP=$tmp/ansible-local ANSIBLE_REMOTE_TEMP=$tmp/ansible-remote
export ANSIBLE_FORKS=10 ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_HOST_KEY_CHECKING=0
export ROLVEX_REGSVR32_LOG=$tmp/regsvr32.log
if ! ansible-playbook -i "$tmp/inventory.ini" "$fleet/rollout.yml" \
  -e rolvex_pack="$pack" -e rolvex_bin="$bin" -e rolvex_reports="$tmp/reports" \
  -e rolvex_path="$repo/tools/regsvr32" >"$tmp/ansible.txt" 2>&1; then
  fail "ansible-playbook failed:"
  tail -30 "$tmp/ansible.txt" >&2
fi

# The Windows play, against the ansible.windows collection.
ansible-playbook --syntax-check -i localhost, "$fleet/windows.yml" \
  >"$tmp/syntax.txt" 2>&1 || fail "windows.yml: $(grep -m3 ERROR "$tmp/syntax.txt")"

csv=$tmp/reports/rollout.csv
# host,status,meaning,preview_status,state,changed,failed,restarted,first_failure
expect() {
  local row
  row=$(grep "^\"pc$1\"," "$csv" 2>/dev/null)
  [[ "$row" == "$2" ]] || fail "pc$1: expected [$2], got [$row]"
}
# Changed entries: 21 on a plain PC, 19 where a file is in use, and on the
# PC that had the pack already only the font, which is always replaced.
for i in 01 02 03 04 05 06; do
  expect "$i" "\"pc$i\",\"0\",\"completed\",\"0\",\"ended\",\"21\",\"0\",\"no\",\"\""
done
expect 07 '"pc07","0","completed","0","ended","1","0","no",""'
expect 08 '"pc08","1","completed with failures","1","ended","19","1","no","C:\QueltTools\Version.txt: 70 Permission denied (held by sleep)"'
expect 09 '"pc09","4","refused; the cancel latch is set","4","ended","0","0","no",""'
expect 10 '"pc10","3010","completed; a restart is needed","3010","ended","21","0","yes",""'
[[ $(grep -c . "$csv") == 11 ]] || fail "the CSV has $(grep -c . "$csv") lines, not 11"
# The restart put the library in place; the PC still in use kept its file.
grep -qx "usb 3.2" "$(c 10)/Windows/System32/QueltUsb.dll" ||
  fail "pc10: the restart did not put QueltUsb.dll in place"
grep -qx "old" "$(c 08)/QueltTools/Version.txt" || fail "pc08: the file in use changed"
for report in "$tmp"/reports/pc*.json; do
  /usr/bin/python3 "$repo/tests/e2e/check_report.py" "$repo/docs/report.schema.json" \
    "$report" >/dev/null 2>"$tmp/check.txt" ||
    fail "$(basename "$report"): $(head -3 "$tmp/check.txt")"
done

if ((failures)); then
  echo "linux_fleet_test: $failures failed check(s); the CSV:" >&2
  sed 's/^/    | /' "$csv" >&2
  exit 1
fi
echo "linux_fleet_test: 10 PCs, CSV as expected"
