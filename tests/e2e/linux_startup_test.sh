#!/usr/bin/env bash
# Start-up of the Linux program in the console window, each case in a fresh
# prefix with the program copied into C:\ServicePacks:
# - a set cancel latch ends the program silently with status 4, before any
#   output or log line;
# - mode "2" with an empty service pack announces the three passes, logs
#   them, hands the version over to C:\Computer.ini and ends with status 0;
# - the interactive mode shows the texts and buttons, and the end of the
#   input presses the exit button (status 2, nothing logged);
# - a latch set back to false lets the program start again;
# - ROLVEX_SCREEN narrows the console's status label as a smaller screen does;
# - run from another folder, the version is not handed over;
# - started through a link in C:\ServicePacks to the program in C:\Bin, the
#   program's folder is the link's: the pack's texts and version are found.
set -euo pipefail

bin=${ROLVEX_BIN:?ROLVEX_BIN must name the rolvex program}
work=$(mktemp -d /tmp/rolvex-e2e-startup.XXXXXX)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
expect_eq() {  # what, expected, actual
  if [[ "$2" != "$3" ]]; then
    fail "$1: expected [$2], got [$3]"
  fi
}

crlf() { printf '%s\r\n' "$@"; }

# new_prefix NAME [FOLDER]: a prefix whose drive C: holds the program in
# FOLDER (default ServicePacks) with a small service pack beside it.
new_prefix() {
  local prefix="$work/$1" folder="${2:-ServicePacks}"
  local pack="$prefix/drive_c/$folder"
  mkdir -p "$pack"
  cp "$bin" "$pack/rolvex"
  crlf "[Intern]" "Text1=Service Pack 7" "Text2=for the line PC" \
    "Text3=Please wait" "OK=Start Service Pack" "ESC=Exit" "Sprache=English" \
    "[ServicePack]" "Version=7.1.2" >"$pack/Rolvex.ini"
  crlf "[English]" "1=Installing files" "2=Registering parts" \
    "3=Merging ini files" >"$pack/Rolvex.txt"
  echo "$prefix"
}

# run PREFIX FOLDER ARGS...: runs the program with no input; sets $out and
# $status.
run() {
  local prefix=$1 folder=$2
  shift 2
  status=0
  out=$(ROLVEX_UI=console ROLVEX_PREFIX="$prefix" \
    "$prefix/drive_c/$folder/rolvex" "$@" </dev/null 2>&1) || status=$?
}

# --- cancel latch set: silent end, status 4
p=$(new_prefix latch)
crlf "[General]" "CancelSP=true" >"$p/drive_c/ServicePack.ini"
run "$p" ServicePacks 2
expect_eq "latch: status" 4 "$status"
expect_eq "latch: output" "" "$out"
[[ -e "$p/drive_c/QueltServicePack.log" ]] && fail "latch: a log was written"
[[ -e "$p/drive_c/Computer.ini" ]] && fail "latch: Computer.ini was written"

# --- the latch set back: a normal start again
crlf "[General]" "CancelSP=false" >"$p/drive_c/ServicePack.ini"
run "$p" ServicePacks 2
expect_eq "latch reset: status" 0 "$status"

# --- mode "2", empty service pack
p=$(new_prefix mode2)
run "$p" ServicePacks 2
expect_eq "mode 2: status" 0 "$status"
expect_eq "mode 2: output" \
  "$(printf 'Installing files\nRegistering parts\nMerging ini files')" "$out"
# The trailing "." keeps the last line end from the command substitution.
expect_eq "mode 2: log" \
  "$(crlf "Installing files" "Registering parts" "Merging ini files"; echo .)" \
  "$(cat "$p/drive_c/QueltServicePack.log" 2>/dev/null; echo .)"
grep -q "^Version=7.1.2" "$p/drive_c/Computer.ini" 2>/dev/null ||
  fail "mode 2: version not handed over: $(cat "$p/drive_c/Computer.ini" 2>&1)"
grep -q "^\[ServicePack\]" "$p/drive_c/Computer.ini" 2>/dev/null ||
  fail "mode 2: no [ServicePack] section in Computer.ini"

# --- the console's screen: at 800 x 600 the status label is narrower, so a
# message that fits at 1024 x 768 is shortened with "..."
p=$(new_prefix screen)
crlf "[English]" "1=Installing the standard files" "2=Registering parts" \
  "3=Merging ini files" >"$p/drive_c/ServicePacks/Rolvex.txt"
run "$p" ServicePacks 2
expect_eq "1024x768: first line" "Installing the standard files" \
  "$(head -1 <<<"$out")"
ROLVEX_SCREEN=800x600 run "$p" ServicePacks 2
expect_eq "800x600: first line" "Installing the stand..." "$(head -1 <<<"$out")"
grep -q "^Installing the standard files" "$p/drive_c/QueltServicePack.log" ||
  fail "800x600: the log lost the full message"

# --- interactive: texts and buttons, end of input = exit button
p=$(new_prefix interactive)
run "$p" ServicePacks
expect_eq "interactive: status" 2 "$status"
expect_eq "interactive: output" \
  "$(printf 'Service Pack 7\nfor the line PC\nPlease wait\n[0] Start Service Pack  [1] Exit')" \
  "$out"
[[ -e "$p/drive_c/QueltServicePack.log" ]] &&
  fail "interactive: the exit button wrote a log"

# --- run from elsewhere: Computer.ini untouched
p=$(new_prefix elsewhere Other)
run "$p" Other 2
expect_eq "elsewhere: status" 0 "$status"
[[ -e "$p/drive_c/Computer.ini" ]] &&
  fail "elsewhere: Computer.ini was written"

# --- started through a link to the program kept elsewhere
p=$(new_prefix link)
mkdir -p "$p/drive_c/Bin"
mv "$p/drive_c/ServicePacks/rolvex" "$p/drive_c/Bin/rolvex"
ln -s ../Bin/rolvex "$p/drive_c/ServicePacks/rolvex"
run "$p" ServicePacks 2
expect_eq "link: output" \
  "$(printf 'Installing files\nRegistering parts\nMerging ini files')" "$out"
grep -q "^Version=7.1.2" "$p/drive_c/Computer.ini" 2>/dev/null ||
  fail "link: version not handed over"

if ((failures)); then
  echo "linux_startup_test: $failures failure(s)" >&2
  exit 1
fi
echo "linux_startup_test: all cases passed"
