#!/usr/bin/env bash
# Runs every end-to-end scenario against the Linux program: the shared
# scenario_*.sh and the Linux-only linux_scenario_*.sh, each in its own
# temporary folder, one line per scenario and a closing count.
#
# Needs ROLVEX_BIN (the built rolvex) and ROLVEX_RESTART_BIN (the built
# rolvex-restart; default: beside ROLVEX_BIN). Arguments, when given, are
# the scenario names to run (file names with or without ".sh").
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
export E2E_DRIVER=linux
export ROLVEX_BIN=${ROLVEX_BIN:-$here/../../build/linux/src/rolvex}
export ROLVEX_RESTART_BIN=${ROLVEX_RESTART_BIN:-$(dirname "$ROLVEX_BIN")/rolvex-restart}

if [[ ! -x "$ROLVEX_BIN" ]]; then
  echo "no program at ROLVEX_BIN=$ROLVEX_BIN" >&2
  exit 2
fi

source "$here/run_scenarios.sh"
run_scenarios linux "$@"
