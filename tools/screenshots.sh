#!/usr/bin/env bash
# Screenshots of the Linux program's Qt window under Xvfb, into
# $ROLVEX_ARTIFACTS/screenshots (default artifacts/screenshots):
#   interactive-1024x768.png, interactive-800x600.png,
#   interactive-1280x1024.png   the waiting window, no argument
#   interactive-1024x768-running.png   the run started with Tab and Enter
#   mode1-running.png, mode1-end.png   the panel ("1"), 1024 x 768
#   mode2-running.png, mode2-end.png   unattended full screen ("2")
#   messagebox.png   mode "2" with a read-only older target: the
#                    Abort/Retry/Ignore question, answered with the key "i"
# Each run has its own temporary prefix with a small service pack: a few
# Standard files, an Ini file and two Register components. The components'
# RegSvr32 is a stand-in on PATH that sleeps a second, so the "running" shot
# is taken during the Register pass with the progress bar showing; the "end"
# shot is taken while ROLVEX_HOLD_MS keeps the finished window on the screen.
#
# Checks on the way (the script fails when one does not hold): the panel sits
# at 764, 90 pixels and is 240 x 234; the unattended runs end with status 0;
# in the interactive window the exit button holds the focus, so Enter ends the
# program with status 2, and Tab moves it to the start button, so Tab and
# Enter run the installation (status 0); the key "i" answers the question with Ignore, so the
# run completes with a failure (status 1).
#
# Usage: tools/screenshots.sh [path of rolvex]   (default: $ROLVEX_BIN, else
# build/linux/src/rolvex). Needs xvfb-run, xdotool, xwininfo and import.
set -euo pipefail
[[ -n "${SHOTS_TRACE:-}" ]] && set -x

if [[ "${1:-}" == "--inside" ]]; then
  inside=1
  shift
else
  inside=0
fi

fail() {
  echo "screenshots: $*" >&2
  exit 1
}

# Waits up to 15 s for the mapped top-level window named Rolvex; prints its id.
find_window() {
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name '^Rolvex$' 2>/dev/null | head -1 || true)
    if [[ -n "$id" ]]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Inside Xvfb: run one case. Arguments: prefix, shot base name, mode words...
run_inside() {
  local prefix=$1 base=$2
  shift 2
  local program="$prefix/drive_c/ServicePacks/rolvex"
  export ROLVEX_PREFIX="$prefix" ROLVEX_UI=qt
  export PATH="$prefix/bin:$PATH"
  local mode=${1:-}

  if [[ "$base" == */messagebox ]]; then
    ROLVEX_HOLD_MS=0 "$program" "$@" &
    local pid=$!
    find_window >/dev/null || fail "$base: no window"
    # The failure is logged just before the question is put.
    for _ in $(seq 150); do
      grep -q "Number:70" "$prefix/drive_c/QueltServicePack.log" 2>/dev/null && break
      sleep 0.1
    done
    sleep 1
    import -window root "$base.png"
    xdotool key i
    local status=0
    wait "$pid" || status=$?
    [[ $status -eq 1 ]] || fail "$base: the key i gave status $status, not 1"
    return 0
  fi

  if [[ -z "$mode" ]]; then
    ROLVEX_HOLD_MS=0 "$program" &
    local pid=$!
    local id
    id=$(find_window) || fail "$base: no window"
    sleep 1  # first paint
    import -window root "$base.png"
    local status=0
    if [[ "$base" == *-1024x768 ]]; then
      # Tab moves the focus from the exit button to the start button, and
      # Enter starts the run, which ends the program when it is done.
      xdotool key Tab
      sleep 0.3
      xdotool key Return
      sleep 1.5
      import -window root "$base-running.png"
      wait "$pid" || status=$?
      [[ $status -eq 0 ]] || fail "$base: the run started by Tab, Enter gave status $status, not 0"
      return 0
    fi
    # The exit button holds the focus: Enter presses it.
    xdotool key Return
    wait "$pid" || status=$?
    [[ $status -eq 2 ]] || fail "$base: Enter on the focused exit button gave status $status, not 2"
    return 0
  fi

  ROLVEX_HOLD_MS=3000 "$program" "$@" &
  local pid=$!
  local id
  id=$(find_window) || fail "$base: no window"
  if [[ "$mode" == "1" ]]; then
    local geometry
    geometry=$(xwininfo -id "$id" | awk '
      /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
      /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
    echo "panel: x y width height = $geometry"
    [[ "$geometry" == "764 90 240 234" ]] ||
      fail "$base: panel at $geometry, not 764 90 240 234"
  fi
  sleep 1.5  # inside the Register pass: one RegSvr32 call a second
  import -window root "$base-running.png"
  # The run ends, then the window is held for 3 s.
  for _ in $(seq 100); do
    grep -q "Merging ini files" "$prefix/drive_c/QueltServicePack.log" 2>/dev/null && break
    sleep 0.1
  done
  sleep 1
  import -window root "$base-end.png"
  local status=0
  wait "$pid" || status=$?
  [[ $status -eq 0 ]] || fail "$base: status $status, not 0"
}

if ((inside)); then
  run_inside "$@"
  exit 0
fi

cd "$(dirname "$0")/.."
bin=$(realpath "${1:-${ROLVEX_BIN:-build/linux/src/rolvex}}")
[[ -x "$bin" ]] || fail "no program at $bin (build it first)"
out=${ROLVEX_ARTIFACTS:-$PWD/artifacts}/screenshots
mkdir -p "$out"
work=$(mktemp -d /tmp/rolvex-shots.XXXXXX)
trap 'stop_locker; rm -rf "$work"' EXIT

crlf() { printf '%s\r\n' "$@"; }

# A prefix with the program and a small service pack in C:\ServicePacks.
make_pack() {
  local prefix="$work/$1" pack
  pack="$prefix/drive_c/ServicePacks"
  mkdir -p "$pack" "$prefix/bin"
  cp "$bin" "$pack/rolvex"
  crlf "[Intern]" "Text1=Service Pack 7 for the line PC" \
    "Text2=Installs the visualisation's new files" \
    "Text3=Please close all programs first" \
    "OK=Start Service Pack" "ESC=Exit" "Sprache=English" \
    "[ServicePack]" "Version=7.1.2" >"$pack/Rolvex.ini"
  crlf "[English]" "1=Installing files" "2=Registering components" \
    "3=Merging ini files" "14=The file could not be copied." \
    "29=Aborted by the operator." >"$pack/Rolvex.txt"
  local tools="$pack/Standard/\$QueltToolsDir\$"
  mkdir -p "$tools/Help" "$pack/Ini/\$WinDir\$" "$pack/Register/\$WinDir\$/System32"
  for f in Backup.exe Monitor.exe Reports.dll Help/Manual.pdf Help/Index.txt; do
    echo "$f" >"$tools/$f"
  done
  crlf "[Display]" "Colours=256" >"$pack/Ini/\$WinDir\$/Visual.ini"
  echo a >"$pack/Register/\$WinDir\$/System32/Chart.ocx"
  echo b >"$pack/Register/\$WinDir\$/System32/Trend.dll"
  printf '#!/bin/sh\nsleep 1\n' >"$prefix/bin/RegSvr32"
  chmod +x "$prefix/bin/RegSvr32"
  echo "$prefix"
}

locker=
stop_locker() {  # the lock holder and its sleep
  if [[ -n "$locker" ]]; then
    kill $(pgrep -P "$locker") "$locker" 2>/dev/null || true
    locker=
  fi
}

# One case in a fresh prefix and a fresh Xvfb. A second attempt covers the
# race of xvfb-run -a when another Xvfb takes the same display number.
shoot() {  # base name, screen size, mode words...
  local base=$1 size=$2
  shift 2
  local attempt prefix
  echo "screenshots: $base at $size"
  for attempt in 1 2; do
    prefix=$(make_pack "$base-$attempt")
    if [[ "$base" == messagebox ]]; then
      # An older copy that another program holds locked: the copy fails and,
      # after the silent retries, the operator is asked.
      local target="$prefix/drive_c/QueltTools/Backup.exe"
      mkdir -p "$prefix/drive_c/QueltTools"
      echo old >"$target"
      touch -d 2001-01-01 "$target"
      flock -o "$target" sleep 60 &
      locker=$!
    fi
    if xvfb-run -a -s "-screen 0 ${size}x24" \
      bash "$0" --inside "$prefix" "$out/$base" "$@"; then
      stop_locker
      return 0
    fi
    stop_locker
    echo "screenshots: $base failed (attempt $attempt)" >&2
  done
  fail "$base: no good run"
}

shoot interactive-1024x768 1024x768
shoot interactive-800x600 800x600
shoot interactive-1280x1024 1280x1024
shoot mode1 1024x768 1
shoot mode2 1024x768 2
shoot messagebox 1024x768 2
echo "screenshots: written to $out"
ls "$out"
