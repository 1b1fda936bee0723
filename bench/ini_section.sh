#!/usr/bin/env bash
# The Ini merge into one big section: the pack's Ini\Big.ini, one section of
# N keys, merged into an existing C:\Big.ini that holds that section with its
# first key only, so that every other key is added. A merge that searched
# the section for every key would grow with N squared; this shows the time
# per key count.
#
#   bash bench/ini_section.sh [-n RUNS] [COUNTS...]   (default: 5000 10000 20000 50000)
#
# Needs the linux build (or BENCH_ROLVEX). Cases are made in BENCH_DIR
# (default /tmp/rolvex-bench-ini-$UID) and removed afterwards. Nothing fails
# on a slow run.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
runs=1
if [[ "${1:-}" == -n ]]; then
  runs=$2
  shift 2
fi
counts=("$@")
((${#counts[@]})) || counts=(5000 10000 20000 50000)

ROLVEX=${BENCH_ROLVEX:-$repo/build/linux/src/rolvex}
[[ -x "$ROLVEX" ]] || { echo "bench: $ROLVEX is not built" >&2; exit 1; }
W=${BENCH_DIR:-/tmp/rolvex-bench-ini-$(id -u)}
rm -rf "$W"
mkdir -p "$W"
trap 'rm -rf "$W"' EXIT
source bench/lib.sh

baseline=""
new_prefix prefix
mkdir -p "$SP/Ini"

rolvex_run() {
  (cd "$SP" && exec env ROLVEX_PREFIX="$PREFIX" ROLVEX_UI=console $TIMED "$W/rss" ./rolvex 2)
}
prepare() {
  printf '[Big]\r\nKey00000=old\r\n' >"$C/Big.ini"
  rm -f "$C/QueltServicePack.log"
}

echo "Ini merge into one section, rolvex $(date -u '+%Y-%m-%d %H:%M UTC'), median of $runs"
printf '%8s  %9s  %9s\n' keys seconds "peak RSS"
for n in "${counts[@]}"; do
  python3 - "$SP/Ini/Big.ini" "$n" <<'EOF_PY'
import sys
path, n = sys.argv[1], int(sys.argv[2])
with open(path, "wb") as out:
    out.write(b"[Big]\r\n")
    for i in range(n):
        out.write(b"Key%05d=new%d\r\n" % (i, i))
EOF_PY
  measure prepare rolvex_run
  cmp -s "$C/Big.ini" "$SP/Ini/Big.ini" || {
    echo "bench: the merge of $n keys did not give the source's entries" >&2
    exit 1
  }
  printf '%8d  %8.2fs  %6d MB\n' "$n" "$SECONDS_MEDIAN" $((RSS_KB / 1024))
done
