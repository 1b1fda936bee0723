#!/usr/bin/env bash
# The file layer's random model test (indexed layer against the plain one)
# for longer than the test command runs it: several seeds, each for a share
# of the time, every episode run to the end so that a summary per change
# kind is printed.
#
#   bash tools/file_index_differential.sh [-t SECONDS] [-s SEEDS] [--per-kind]
#
# SECONDS (default 600) is the whole run, shared by SEEDS seeds (default 5,
# taken from the clock; ROLVEX_DIFF_SEED fixes the first). --per-kind runs
# each change kind on its own instead (SECONDS shared by the kinds), with
# only files and folders made and removed beside it (which alone make no
# mismatch), so it tells which kinds make the layers answer apart. Needs the linux
# preset built (rolvex_file_index_differential). Exit status 1 when any
# episode had a mismatch.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=600
seeds=5
per_kind=0
while (($#)); do
  case "$1" in
    -t) seconds=$2; shift 2 ;;
    -s) seeds=$2; shift 2 ;;
    --per-kind) per_kind=1; shift ;;
    *) echo "usage: bash tools/file_index_differential.sh [-t SECONDS] [-s SEEDS] [--per-kind]" >&2; exit 2 ;;
  esac
done

bin=build/linux/tests/rolvex_file_index_differential
[[ -x "$bin" ]] || { echo "missing $bin: build the linux preset first" >&2; exit 1; }

status=0
run() { # SEED SECONDS [KINDS]
  ROLVEX_DIFF_SEED=$1 ROLVEX_DIFF_SECONDS=$2 ROLVEX_DIFF_KINDS=${3:-} \
    ROLVEX_DIFF_KEEP_GOING=1 "$bin" --gtest_brief=1
}

first=${ROLVEX_DIFF_SEED:-$(date +%s)}
if ((per_kind)); then
  # A write through a link needs links to write through.
  kinds=(rename case-rename exchange to-folder to-link repoint-link hard-link
    write-through-link,hard-link write-through-link,to-link chmod
    dos-attributes times repoint-drive remake-folder move-prefix layer)
  share=$((seconds / ${#kinds[@]}))
  ((share > 0)) || share=1
  for kind in "${kinds[@]}"; do
    echo "== $kind (with create, mkdir, delete), $share s"
    run "$first" "$share" "create,mkdir,delete,$kind" | grep -E '^(seed|[0-9]+ episodes)' ||
      status=1
  done
else
  share=$((seconds / seeds))
  ((share > 0)) || share=1
  for ((n = 0; n < seeds; n++)); do
    # Far apart, so that the seeds' episodes (SEED, SEED+1, ...) never meet.
    run $((first + n * 1000003)) "$share" || status=1
  done
fi
exit $status
