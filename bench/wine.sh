#!/usr/bin/env bash
# The Wine table of the benchmark: Rolvex.exe under Wine on the Standard pass
# and the Ini merge of bench/run.sh, beside the same reference commands. No
# goal is set: its file and profile work is kernel32's own. Started by
# bench/run.sh (with a display) through BENCH_RUNS, BENCH_CASES, BENCH_WORK
# and ROLVEX_EXE. With BENCH_AGAINST_EXE (the build of another revision,
# BENCH_AGAINST), every row also runs that program, in turns with this one,
# and shows the ratio of the two. The Wine prefix is made once and kept
# (BENCH_WINEPREFIX, default /tmp/rolvex-bench-wine-$UID), as booting one
# takes longer than the runs.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=$BENCH_RUNS
W=$BENCH_WORK
rm -rf "$W"
mkdir -p "$W"
source bench/lib.sh

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${BENCH_WINEPREFIX:-/tmp/rolvex-bench-wine-$(id -u)}
if [[ ! -e "$WINEPREFIX/.bench-ready" ]]; then
  rm -rf "$WINEPREFIX"
  # wineboot's status says little; the system folder says whether it worked.
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  if [[ ! -d "$WINEPREFIX/drive_c/windows/system32" ]]; then
    echo "bench: wineboot could not make $WINEPREFIX" >&2
    exit 1
  fi
  touch "$WINEPREFIX/.bench-ready"
fi
# One server for all runs, so that each run pays for the program, not for
# starting Wine's server.
wineserver -p
trap 'wineserver -k 2>/dev/null || true; rm -rf "$W"' EXIT

C=$WINEPREFIX/drive_c
SP=$C/ServicePacks
rm -rf "$SP" "$C/Bench" "$C/Big.ini"
mkdir -p "$SP"
cp examples/servicepack/Rolvex.ini examples/servicepack/Rolvex.txt "$SP/"
cp "$ROLVEX_EXE" "$SP/Rolvex.exe"

exe_run() { (cd "$SP" && exec $TIMED "$W/rss" wine 'C:\ServicePacks\Rolvex.exe' 2); }
cp "${BENCH_AGAINST_EXE:-$ROLVEX_EXE}" "$SP/Against.exe"
against_run() { (cd "$SP" && exec $TIMED "$W/rss" wine 'C:\ServicePacks\Against.exe' 2); }

# measure_exe PREPARE: this Rolvex.exe (SECONDS_MEDIAN, RSS_KB), and with
# BENCH_AGAINST_EXE the other one in turns (AGAINST_MEDIAN).
measure_exe() {
  if [[ -n "${BENCH_AGAINST_EXE:-}" ]]; then
    measure_pair "$1" exe_run "$1" against_run
    AGAINST_MEDIAN=$REF_MEDIAN
  else
    measure "$1" exe_run
  fi
}
# The cells of the comparison, when there is one.
against_cells() {
  [[ -n "${BENCH_AGAINST_EXE:-}" ]] || return 0
  printf ' %s | %s |' "$(fmt_s "$AGAINST_MEDIAN")" \
    "$(printf '%.2fx' "$(ratio "$SECONDS_MEDIAN" "$AGAINST_MEDIAN")")"
}

fresh_prepare() { rm -rf "$C/Bench" "$C/QueltServicePack.log"; sync -f "$C"; }
kept_prepare() { rm -f "$C/QueltServicePack.log"; }
ref_fresh_prepare() { rm -rf "$W/ref"; mkdir -p "$W/ref"; sync -f "$W/ref"; }
ref_fresh() { cp -a "$SP/Standard/Bench" "$W/ref/Bench" && sync -f "$W/ref"; }
ref_kept_prepare() { :; }
ref_kept() { rsync -a "$SP/Standard/Bench/" "$W/ref/Bench/"; }

ROWS=()
if [[ " $BENCH_CASES " == *" small "* ]]; then
  make_tree "$SP/Standard/Bench" 100 100 1024 8192
  measure_exe fresh_prepare
  fresh=$SECONDS_MEDIAN fresh_rss=$RSS_KB fresh_against=$(against_cells)
  measure_exe kept_prepare
  kept=$SECONDS_MEDIAN kept_rss=$RSS_KB kept_against=$(against_cells)
  measure ref_fresh_prepare ref_fresh
  cp_s=$SECONDS_MEDIAN
  measure ref_kept_prepare ref_kept
  rsync_s=$SECONDS_MEDIAN
  ROWS+=("| Standard pass, 10,000 files of 1-8 KB in 100 folders, empty PC | $(fmt_s "$fresh") | \`cp -a\` + \`sync -f\` $(fmt_s "$cp_s") | $(printf '%.2fx' "$(ratio "$fresh" "$cp_s")") | $(fmt_mb "$fresh_rss") |$fresh_against")
  ROWS+=("| same pack again, everything up to date | $(fmt_s "$kept") | \`rsync -a\` $(fmt_s "$rsync_s") | $(printf '%.2fx' "$(ratio "$kept" "$rsync_s")") | $(fmt_mb "$kept_rss") |$kept_against")
  rm -rf "$SP/Standard" "$C/Bench" "$W/ref"
fi

if [[ " $BENCH_CASES " == *" ini "* ]]; then
  mkdir -p "$SP/Ini"
  make_ini "$SP/Ini/Big.ini" 5000 new
  make_ini "$W/ini-old.ini" 5000 old
  ini_prepare() {
    cp "$W/ini-old.ini" "$C/Big.ini"
    rm -f "$C/QueltServicePack.log"
  }
  measure_exe ini_prepare
  ROWS+=("| Ini pass merging 5,000 entries into a 5,000-entry file | $(fmt_s "$SECONDS_MEDIAN") | - | - | $(fmt_mb "$RSS_KB") |$(against_cells)")
  rm -rf "$SP/Ini" "$C/Big.ini"
fi

echo
echo "Rolvex.exe under Wine ($(wine --version)), medians of $runs runs; no goal"
echo
if [[ -n "${BENCH_AGAINST_EXE:-}" ]]; then
  echo "| case | Rolvex.exe | reference | ratio | peak RSS | built from $BENCH_AGAINST | this / $BENCH_AGAINST |"
  echo "|---|---|---|---|---|---|---|"
else
  echo "| case | Rolvex.exe | reference | ratio | peak RSS |"
  echo "|---|---|---|---|---|"
fi
printf '%s\n' "${ROWS[@]}"
