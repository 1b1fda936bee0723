#!/usr/bin/env bash
# Runs every end-to-end scenario against Rolvex.exe under Wine: the shared
# scenario_*.sh and the Wine-only wine_scenario_*.sh, each in its own
# temporary folder, one line per scenario and a closing count.
#
# Needs ROLVEX_EXE (the built Rolvex.exe) and the helper programs of the
# Wine driver beside the build (see driver_wine.sh); starts a virtual X
# display itself when there is none. Arguments, when given, are the scenario
# names to run (file names with or without ".sh").
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
export E2E_DRIVER=wine
export ROLVEX_EXE=${ROLVEX_EXE:-$here/../../build/mingw/src/Rolvex.exe}

if [[ ! -f "$ROLVEX_EXE" ]]; then
  echo "no program at ROLVEX_EXE=$ROLVEX_EXE" >&2
  exit 2
fi

scripts=()
if (($#)); then
  for name in "$@"; do scripts+=("$here/${name%.sh}.sh"); done
else
  scripts=("$here"/scenario_*.sh "$here"/wine_scenario_*.sh)
fi

passed=0
failed=0
for script in "${scripts[@]}"; do
  [[ -e "$script" ]] || continue
  name=$(basename "$script" .sh)
  started=$SECONDS
  err=$(mktemp "/tmp/rolvex-e2e-$name.XXXXXX")
  if E2E_TMP="" bash "$script" 2>"$err"; then
    echo "PASS $name ($((SECONDS - started)) s)"
    passed=$((passed + 1))
  else
    echo "FAIL $name ($((SECONDS - started)) s)"
    sed 's/^/  /' "$err"
    failed=$((failed + 1))
  fi
  rm -f "$err"
done

echo "$passed passed, $failed failed"
((failed == 0))
