#!/usr/bin/env bash
# Root (sudo, a deployment agent) running the Linux programs over a prefix
# another user owns lends that user nothing: the programs act as the owner.
# - links the owner planted (an ini target, a target folder, a read-only
#   target, the log) lead to root's files outside the prefix: those stay;
# - the component already in the prefix unregisters as the owner's uid;
# - what the run makes (files, the log, the run report, the preview's plan)
#   belongs to the owner;
# - rolvex-restart skips and reports requests the installer never makes (a
#   target outside the drives, a source it did not stage, a deletion) and
#   carries out the staged one, as the owner;
# - when the owner's rights cannot be taken (no CAP_SETUID/CAP_SETGID), each
#   program ends with 2 and one line, having written nothing.
# Needs root; skipped otherwise.
if [[ $(id -u) != 0 ]]; then
  echo "linux_root_test: skipped, needs root"
  exit 0
fi
source "$(dirname "$0")/lib.sh"
ROLVEX_PREVIEW_BIN=${ROLVEX_PREVIEW_BIN:-$(dirname "$ROLVEX_BIN")/rolvex-preview}

# The owner: a system user made for the test, else a user id without a
# password entry.
owner_name=rolvex-e2e-owner
made_user=0
if ! id -u "$owner_name" >/dev/null 2>&1 &&
  useradd --system --no-create-home --shell /usr/sbin/nologin \
    "$owner_name" 2>/dev/null; then
  made_user=1
fi
if owner=$(id -u "$owner_name" 2>/dev/null); then
  group=$(id -g "$owner_name")
else
  owner=42917
  while getent passwd "$owner" >/dev/null; do owner=$((owner + 1)); done
  group=$owner
fi
trap 'e2e_cleanup; ((made_user)) && userdel "$owner_name" 2>/dev/null' EXIT
# The owner must reach its prefix below the test's folder.
chmod 755 "$E2E_TMP"

# Root's files outside the prefix, which the owner's links lead to.
ROOT=$E2E_TMP/root
mkdir -p "$ROOT/folder"
printf 'root log\n' >"$ROOT/log"
printf '[Root]\r\nKey=root\r\n' >"$ROOT/ini"
printf 'read-only\n' >"$ROOT/ro"
chmod 400 "$ROOT/ro"
printf 'root\n' >"$ROOT/victim"
cp -a "$ROOT" "$E2E_TMP/root-before"
root_unchanged() {
  diff -r "$ROOT" "$E2E_TMP/root-before" >/dev/null ||
    fail "root's files outside the prefix changed ($1)"
  [[ $(stat -c %a "$ROOT/ro") == 400 ]] || fail "root's read-only file's mode changed ($1)"
  [[ -z $(find "$ROOT" ! -user root) ]] || fail "a file not root's among root's ($1)"
}

# --- a run over the owner's prefix with links planted in it
e2e_fresh
pack_layout <<'EOF_LAYOUT'
Standard/Tools/tool.txt = new tool
Standard/Linked/into-root.txt = into root's folder
Standard/Cfg/ro.txt = replaces a read-only file
EOF_LAYOUT
crlf "[Root]" "Key=pack" | put "$SP/Ini/Cfg/app.ini"
# Every start of the component records the uid it runs as.
component() {
  put "$1" "#!/bin/sh
echo \"\$(id -u) \$*\" >>'$PREFIX/uids.txt'
"
  chmod 755 "$1"
}
component "$SP/Register/Apps/Srv.exe"
set_mtime "$SP/Register/Apps/Srv.exe" "2020-01-01 12:00"
component "$DRIVE_C/Apps/Srv.exe"
set_mtime "$DRIVE_C/Apps/Srv.exe" "2019-01-01 12:00"
mkdir -p "$DRIVE_C/Cfg"
ln -s "$ROOT/ini" "$DRIVE_C/Cfg/app.ini"
ln -s "$ROOT/ro" "$DRIVE_C/Cfg/ro.txt"
ln -s "$ROOT/folder" "$DRIVE_C/Linked"
drv_install_program
chown -R -h "$owner:$group" "$PREFIX"
export ROLVEX_REPORT=$PREFIX/report.json
drv_run 2
unset ROLVEX_REPORT
root_unchanged "run"
assert_file_eq "$DRIVE_C/Tools/tool.txt" "new tool"
[[ $(cat "$PREFIX/uids.txt" 2>/dev/null) == "$owner /unregserver
$owner /regserver" ]] ||
  fail "the components did not run as $owner: [$(cat "$PREFIX/uids.txt" 2>/dev/null)]"
not_owned=$(find "$PREFIX" ! -user "$owner")
[[ -z "$not_owned" ]] || fail "not the owner's: $not_owned"
assert_exists "$DRIVE_C/QueltServicePack.log"
assert_exists "$PREFIX/report.json"

# --- the log's name linked to root's file
rm "$DRIVE_C/QueltServicePack.log"
ln -s "$ROOT/log" "$DRIVE_C/QueltServicePack.log"
chown -h "$owner:$group" "$DRIVE_C/QueltServicePack.log"
drv_run 2
root_unchanged "log link"

# --- the preview's plan
E2E_PREVIEW_JSON=$PREFIX/plan.json drv_preview
[[ $(stat -c %u "$PREFIX/plan.json" 2>/dev/null) == "$owner" ]] ||
  fail "the preview's plan is not the owner's (status $E2E_PREVIEW_STATUS)"

# --- the restart list, written by the owner
SYS=$DRIVE_C/Windows/System32
mkdir -p "$SYS"
printf 'old\n' >"$SYS/k.dll"
printf 'new\n' >"$SYS/.~rolvex-restart-1-2-3~k.dll"
r=${ROOT//\//\\}
{
  printf 'Z:%s\\.~rolvex-restart-1-2-3~victim\n!Z:%s\\victim\n' "$r" "$r"
  printf 'C:\\Windows\\System32\\k.dll\n!Z:%s\\victim\n' "$r"
  printf 'Z:%s\\ro\n\n' "$r"
  printf 'C:\\Windows\\System32\\.~rolvex-restart-1-2-3~k.dll\n!C:\\Windows\\System32\\k.dll\n'
} >"$PREFIX/rolvex-pending-renames.txt"
chown -R "$owner:$group" "$PREFIX"
E2E_STATUS=0
drv_restart || E2E_STATUS=$?
assert_status 1 "requests skipped"
root_unchanged "restart"
assert_file_eq "$SYS/k.dll" "new
"
[[ $(stat -c %u "$SYS/k.dll") == "$owner" ]] || fail "k.dll is not the owner's"
skipped=$(grep -c "skipped" "$E2E_TMP/restart-err.txt")
[[ $skipped == 3 ]] ||
  fail "expected 3 skipped requests, got: $(cat "$E2E_TMP/restart-err.txt")"
assert_no_file "$PREFIX/rolvex-pending-renames.txt"

# --- the owner's rights cannot be taken: 2, one line, nothing written
rm -f "$DRIVE_C/QueltServicePack.log" "$PREFIX/plan.json"
printf 'C:\\a\n!C:\\b\n' >"$PREFIX/rolvex-pending-renames.txt"
chown "$owner:$group" "$PREFIX/rolvex-pending-renames.txt"
cp -a "$PREFIX" "$E2E_TMP/prefix-before"
capless=(setpriv "--bounding-set=-setuid,-setgid")
for program in "$E2E_PROGRAM 2" "$ROLVEX_PREVIEW_BIN --json $PREFIX/plan.json $SP" \
  "$ROLVEX_RESTART_BIN"; do
  status=0
  # shellcheck disable=SC2086
  (cd "$SP" && ROLVEX_PREFIX=$PREFIX ROLVEX_UI=console \
    "${capless[@]}" $program </dev/null >/dev/null 2>"$E2E_TMP/err.txt") ||
    status=$?
  [[ $status == 2 ]] || fail "${program%% *}: status $status, expected 2"
  [[ $(wc -l <"$E2E_TMP/err.txt") == 1 ]] ||
    fail "${program%% *}: not one line: $(cat "$E2E_TMP/err.txt")"
done
diff -r --no-dereference "$PREFIX" "$E2E_TMP/prefix-before" >/dev/null ||
  fail "the prefix changed although the owner's rights could not be taken"
root_unchanged "no rights"

((E2E_FAILURES == 0)) && echo "linux_root_test: passed"
exit $((E2E_FAILURES > 0))
