#!/usr/bin/env bash
# The Qt window of the Linux program under Xvfb: tools/screenshots.sh takes
# the screenshots (kept in $ROLVEX_ARTIFACTS/screenshots, to be looked at)
# and checks the panel's position, the unattended runs' status and the exit
# button's focus on the way. Skipped where Xvfb or the X tools are missing.
set -euo pipefail

: "${ROLVEX_BIN:?ROLVEX_BIN must name the rolvex program}"
source_dir=${ROLVEX_SOURCE_DIR:-$(dirname "$0")/../..}
for tool in xvfb-run xdotool xwininfo import; do
  if ! command -v "$tool" >/dev/null; then
    echo "linux_window_screenshots_test: skipped, $tool is missing"
    exit 0
  fi
done
if [[ -z "${ROLVEX_ARTIFACTS:-}" ]]; then
  ROLVEX_ARTIFACTS=$(mktemp -d /tmp/rolvex-artifacts.XXXXXX)
  export ROLVEX_ARTIFACTS
  trap 'rm -rf "$ROLVEX_ARTIFACTS"' EXIT
fi
bash "$source_dir/tools/screenshots.sh" "$ROLVEX_BIN"
for shot in interactive-1024x768 interactive-1024x768-running \
  interactive-800x600 interactive-1280x1024 messagebox \
  mode1-running mode1-end mode2-running mode2-end; do
  [[ -s "$ROLVEX_ARTIFACTS/screenshots/$shot.png" ]] ||
    { echo "FAIL: no $shot.png" >&2; exit 1; }
done
echo "linux_window_screenshots_test: passed"
