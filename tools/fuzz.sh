#!/usr/bin/env bash
# Builds the fuzz targets (the `fuzz` preset) and runs each one for SECONDS
# seconds (default 30) over its seed corpus in fuzz/corpus/, one after the
# other. New inputs go to a scratch folder, so the committed seeds stay as
# they are; a failing input is kept in artifacts/fuzz/ and fails the run.
#   bash tools/fuzz.sh            # about 30 s per target
#   bash tools/fuzz.sh 3600       # an hour per target
#   bash tools/fuzz.sh 600 ini_document_fuzz   # one target
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

targets=("$@")
((${#targets[@]})) || targets=(command_line_fuzz ersetze_environment_fuzz
                                ini_document_fuzz item_reader_fuzz seal_fuzz)
found="$PWD/artifacts/fuzz"
mkdir -p "$found"
scratch=$(mktemp -d /tmp/rolvex-fuzz.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
for t in "${targets[@]}"; do
  echo "== fuzz $t for ${seconds}s"
  mkdir -p "$scratch/$t"
  # -timeout: an input that runs for 10 s counts as a hang.
  build/fuzz/fuzz/"$t" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$found/$t-" \
    "$scratch/$t" "fuzz/corpus/$t" 2>"$scratch/$t.log" || {
    tail -n 60 "$scratch/$t.log"
    echo "fuzz: $t failed; the input is in $found/" >&2
    exit 1
  }
  grep -E "stat::number_of_executed_units|stat::new_units_added" \
    "$scratch/$t.log" | tr '\n' ' '
  echo
done
