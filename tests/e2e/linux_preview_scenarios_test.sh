#!/usr/bin/env bash
# Every end-to-end scenario of the Linux program again, each unattended run
# previewed first with rolvex-preview (E2E_PREVIEW, see lib.sh): no preview
# may change the prefix, and every run that completes without a failure must
# append exactly the log lines its preview predicted and end with the status
# the preview foresaw. The packs are the scenarios' own, so a new scenario is
# checked too.
#
# Needs ROLVEX_BIN, ROLVEX_RESTART_BIN and ROLVEX_PREVIEW_BIN (defaults:
# beside ROLVEX_BIN).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
export E2E_PREVIEW=1
export ROLVEX_BIN=${ROLVEX_BIN:-$here/../../build/linux/src/rolvex}
export ROLVEX_PREVIEW_BIN=${ROLVEX_PREVIEW_BIN:-$(dirname "$ROLVEX_BIN")/rolvex-preview}
if [[ ! -x "$ROLVEX_PREVIEW_BIN" ]]; then
  echo "no program at ROLVEX_PREVIEW_BIN=$ROLVEX_PREVIEW_BIN" >&2
  exit 2
fi
exec bash "$here/linux_scenarios_test.sh" "$@"
