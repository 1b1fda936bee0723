#!/usr/bin/env bash
# Benchmark of the installer: the Linux program against cp, rsync and sync
# on the same trees, in the same run, and the Windows program under Wine.
#
#   bash bench/run.sh [-n RUNS] [--ini-runs N] [--wine-runs N] [--no-wine]
#                     [--no-build] [--cases "LIST"] [--wine-against REV]
#                     [--baseline PROGRAM] [--index-off-column]
#
# RUNS (default 5) is the number of timed runs per cell; each cell shows the
# median of its runs and the peak RSS of the biggest run. The up-to-date
# run and rsync run in turns. The Ini rows and
# the Wine table take RUNS too unless told otherwise (they are the slow ones). LIST picks cases
# out of: small growth big sealed backup ini rss (default: all of them). The Wine table
# (Standard pass and Ini merge of Rolvex.exe) needs the mingw build and
# wine; it is made under xvfb-run when there is no display. With
# --wine-against REV, the Wine rows also run Rolvex.exe as built from the
# git revision REV (made in a worktree below BENCH_DIR), in turns with this
# tree's, so that a change is measured against the build before it in the
# same run.
#
# Two more columns each for the Linux rows, in turns with this build's runs
# so that the host's moods meet all alike: --baseline PROGRAM (or
# BENCH_BASELINE=PROGRAM), another build of rolvex, run on the same trees;
# --index-off-column (or BENCH_INDEX_OFF=1), this build with
# ROLVEX_FILE_INDEX=off, which shows what the file layer's caches are worth.
# Each shows its median and this build's time over it.
#
# Every case is made in BENCH_DIR (default a new /tmp/rolvex-bench.XXXXXX,
# so that two runs on one host do not remove each other's trees) and
# removed afterwards. No timing here is a test: nothing fails on a slow run.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

runs=5
ini_runs=""
wine_runs=""
wine=1
build=1
against=""
baseline=${BENCH_BASELINE:-}
index_off=${BENCH_INDEX_OFF:-0}
cases="small growth big sealed backup ini rss"
while (($#)); do
  case "$1" in
    -n) runs=$2; shift 2 ;;
    --ini-runs) ini_runs=$2; shift 2 ;;
    --wine-runs) wine_runs=$2; shift 2 ;;
    --no-wine) wine=0; shift ;;
    --no-build) build=0; shift ;;
    --cases) cases=$2; shift 2 ;;
    --wine-against) against=$2; shift 2 ;;
    --baseline) baseline=$2; shift 2 ;;
    --index-off-column) index_off=1; shift ;;
    *) echo "usage: bash bench/run.sh [-n RUNS] [--ini-runs N] [--wine-runs N] [--no-wine] [--no-build] [--cases LIST] [--wine-against REV] [--baseline PROGRAM] [--index-off-column]" >&2; exit 2 ;;
  esac
done

if ((build)); then
  cmake --preset linux >/dev/null
  cmake --build --preset linux >/dev/null
  if ((wine)); then
    cmake --preset mingw >/dev/null
    cmake --build --preset mingw >/dev/null
  fi
fi
ROLVEX=${BENCH_ROLVEX:-$repo/build/linux/src/rolvex}
ROLVEX_EXE=${BENCH_ROLVEX_EXE:-$repo/build/mingw/src/Rolvex.exe}
ROLVEX_PACK=${BENCH_ROLVEX_PACK:-$(dirname "$ROLVEX")/rolvex-pack}
[[ -x "$ROLVEX" ]] || { echo "bench: $ROLVEX is not built" >&2; exit 1; }
if [[ -n "$baseline" ]]; then
  [[ -x "$baseline" ]] || { echo "bench: no program $baseline" >&2; exit 1; }
  baseline=$(realpath "$baseline")
fi
if ((wine)) && [[ ! -f "$ROLVEX_EXE" ]]; then
  echo "bench: $ROLVEX_EXE is not built; no Wine table" >&2
  wine=0
fi

if [[ -n "${BENCH_DIR:-}" ]]; then
  W=$BENCH_DIR
  rm -rf "$W"
  mkdir -p "$W"
else
  W=$(mktemp -d /tmp/rolvex-bench.XXXXXX)
fi
trap 'rm -rf "$W"' EXIT

has_case() { [[ " $cases " == *" $1 "* ]]; }

source bench/lib.sh


# The Linux program in mode "2" on the console, from the pack folder:
# rolvex_as PROGRAM [VARIABLE=VALUE...].
rolvex_as() {
  local program=$1
  shift
  (cd "$SP" && exec env ROLVEX_PREFIX="$PREFIX" ROLVEX_UI=console "$@" $TIMED "$W/rss" "$program" 2)
}
rolvex_run() { rolvex_as ./rolvex; }
baseline_run() { rolvex_as ./rolvex-baseline; }
index_off_run() { rolvex_as ./rolvex ROLVEX_FILE_INDEX=off; }

# measure_rolvex PREPARE [REF_PREPARE REF_COMMAND]: rolvex_run, and in turns
# with it the baseline and the run without index when asked for, and the
# reference command. Sets SECONDS_MEDIAN, RSS_KB, VARIANTS (the baseline's
# and index-off medians, as variant_cells takes them), VARIANT_RSS (their
# peak RSS, alike) and REF_MEDIAN.
measure_rolvex() {
  local -a turns=("$1" rolvex_run)
  [[ -z "$baseline" ]] || turns+=("$1" baseline_run)
  ((!index_off)) || turns+=("$1" index_off_run)
  (($# < 3)) || turns+=("$2" "$3")
  measure_turns "${turns[@]}"
  SECONDS_MEDIAN=${TURN_MEDIANS[0]} RSS_KB=${TURN_RSS_KB[0]}
  local k=1
  VARIANTS="" VARIANT_RSS=""
  if [[ -n "$baseline" ]]; then
    VARIANTS+=" ${TURN_MEDIANS[k]}" VARIANT_RSS+=" ${TURN_RSS_KB[k]}"
    k=$((k + 1))
  fi
  if ((index_off)); then
    VARIANTS+=" ${TURN_MEDIANS[k]}" VARIANT_RSS+=" ${TURN_RSS_KB[k]}"
    k=$((k + 1))
  fi
  (($# < 3)) || REF_MEDIAN=${TURN_MEDIANS[k]}
}

# variant_cells FORMAT THIS "VARIANTS" [THIS "VARIANTS"]: the cells of the
# baseline and index-off columns (value, and THIS over it), FORMAT being
# fmt_s or fmt_mb; a second pair makes "a / b" cells, as the growth rows
# show two sizes.
variant_cells() {
  local format=$1 cells="" k
  local -a these=("$2") others=($3) more=()
  (($# < 5)) || { these+=("$4"); more=($5); }
  for ((k = 0; k < ${#others[@]}; k++)); do
    local value ratio_text
    value=$("$format" "${others[k]}")
    ratio_text=$(printf '%.2fx' "$(ratio "${these[0]}" "${others[k]}")")
    if ((${#these[@]} > 1)); then
      value+=" / $("$format" "${more[k]}")"
      ratio_text+=" / $(printf '%.2fx' "$(ratio "${these[1]}" "${more[k]}")")"
    fi
    cells+=" $value | $ratio_text |"
  done
  printf '%s' "$cells"
}

# ---------------------------------------------------------------- cases

# Standard pass of the tree Standard\Bench of the prefix onto C:\Bench:
# fresh (the target removed first) and up to date (the target left).
fresh_prepare() { rm -rf "$C/Bench" "$C/QueltServicePack.log"; sync -f "$C"; }
kept_prepare() { rm -f "$C/QueltServicePack.log"; }
ref_fresh_prepare() { rm -rf "$W/ref"; mkdir -p "$W/ref"; sync -f "$W/ref"; }
ref_fresh() { cp -a "$SP/Standard/Bench" "$W/ref/Bench" && sync -f "$W/ref"; }
ref_kept_prepare() { :; }
ref_kept() { rsync -a "$SP/Standard/Bench/" "$W/ref/Bench/"; }

# standard_case NAME FOLDERS FILES MIN MAX: makes the pack, times both runs
# of rolvex; sets FRESH, FRESH_RSS, KEPT, KEPT_RSS.
standard_case() {
  new_prefix "$1"
  make_tree "$SP/Standard/Bench" "$2" "$3" "$4" "$5"
  measure_rolvex fresh_prepare
  FRESH=$SECONDS_MEDIAN FRESH_RSS=$RSS_KB FRESH_V=$VARIANTS FRESH_VRSS=$VARIANT_RSS
  measure_rolvex kept_prepare
  KEPT=$SECONDS_MEDIAN KEPT_RSS=$RSS_KB KEPT_V=$VARIANTS KEPT_VRSS=$VARIANT_RSS
}

if has_case small; then
  new_prefix small
  make_tree "$SP/Standard/Bench" 100 100 1024 8192
  measure_rolvex fresh_prepare
  FRESH=$SECONDS_MEDIAN FRESH_RSS=$RSS_KB FRESH_V=$VARIANTS
  measure ref_fresh_prepare ref_fresh
  cp_s=$SECONDS_MEDIAN
  # Runs of a tenth of a second: in turns, so that a change in the state of
  # the machine meets both alike.
  measure_rolvex kept_prepare ref_kept_prepare ref_kept
  KEPT=$SECONDS_MEDIAN KEPT_RSS=$RSS_KB rsync_s=$REF_MEDIAN KEPT_V=$VARIANTS
  r=$(ratio "$FRESH" "$cp_s")
  row "Standard pass, 10,000 files of 1-8 KB in 100 folders, empty PC" \
    "$(fmt_s "$FRESH")" "\`cp -a\` + \`sync -f\` $(fmt_s "$cp_s")" \
    "$(printf '%.2fx' "$r")" "<= 2.0x" "$(verdict "$r" 2.0)" "$(fmt_mb "$FRESH_RSS")" \
    "$(variant_cells fmt_s "$FRESH" "$FRESH_V")"
  r=$(ratio "$KEPT" "$rsync_s")
  row "same pack again, everything up to date" "$(fmt_s "$KEPT")" \
    "\`rsync -a\` $(fmt_s "$rsync_s")" "$(printf '%.2fx' "$r")" "<= 2.0x" \
    "$(verdict "$r" 2.0)" "$(fmt_mb "$KEPT_RSS")" \
    "$(variant_cells fmt_s "$KEPT" "$KEPT_V")"
  rm -rf "$W/small" "$W/ref"
fi

if has_case growth; then
  standard_case one1000 1 1000 1 64
  f1=$FRESH k1=$KEPT fv1=$FRESH_V kv1=$KEPT_V
  standard_case one8000 1 8000 1 64
  f8=$FRESH k8=$KEPT rss=$KEPT_RSS
  ((FRESH_RSS > rss)) && rss=$FRESH_RSS
  r=$(ratio "$f8" "$f1")
  row "1,000 / 8,000 new files in one folder" \
    "$(fmt_s "$f1") / $(fmt_s "$f8")" "-" "$(printf '%.1fx' "$r")" "<= 9x" \
    "$(verdict "$r" 9)" "$(fmt_mb "$rss")" \
    "$(variant_cells fmt_s "$f1" "$fv1" "$f8" "$FRESH_V")"
  r=$(ratio "$k8" "$k1")
  row "1,000 / 8,000 files in one folder, up to date" \
    "$(fmt_s "$k1") / $(fmt_s "$k8")" "-" "$(printf '%.1fx' "$r")" "<= 9x" \
    "$(verdict "$r" 9)" "$(fmt_mb "$rss")" \
    "$(variant_cells fmt_s "$k1" "$kv1" "$k8" "$KEPT_V")"
  rm -rf "$W/one1000" "$W/one8000"
  standard_case dirs100 100 10 1 64
  f1=$FRESH k1=$KEPT fv1=$FRESH_V kv1=$KEPT_V
  standard_case dirs800 800 10 1 64
  f8=$FRESH k8=$KEPT rss=$KEPT_RSS
  ((FRESH_RSS > rss)) && rss=$FRESH_RSS
  r=$(ratio "$f8" "$f1")
  row "100 / 800 new folders of 10 files" \
    "$(fmt_s "$f1") / $(fmt_s "$f8")" "-" "$(printf '%.1fx' "$r")" "<= 9x" \
    "$(verdict "$r" 9)" "$(fmt_mb "$rss")" \
    "$(variant_cells fmt_s "$f1" "$fv1" "$f8" "$FRESH_V")"
  r=$(ratio "$k8" "$k1")
  row "100 / 800 folders of 10 files, up to date" \
    "$(fmt_s "$k1") / $(fmt_s "$k8")" "-" "$(printf '%.1fx' "$r")" "<= 9x" \
    "$(verdict "$r" 9)" "$(fmt_mb "$rss")" \
    "$(variant_cells fmt_s "$k1" "$kv1" "$k8" "$KEPT_V")"
  rm -rf "$W/dirs100" "$W/dirs800"
fi

if has_case big; then
  new_prefix big
  mkdir -p "$SP/Standard/Bench"
  for n in 1 2 3; do
    head -c 300M /dev/urandom >"$SP/Standard/Bench/Big$n.bin"
    touch -d "2020-01-01 12:00" "$SP/Standard/Bench/Big$n.bin"
  done
  measure_rolvex fresh_prepare
  big_s=$SECONDS_MEDIAN big_rss=$RSS_KB big_v=$VARIANTS
  ref_big() { cp -r "$SP/Standard/Bench" "$W/ref/Bench" && sync -f "$W/ref"; }
  measure ref_fresh_prepare ref_big
  r=$(ratio "$big_s" "$SECONDS_MEDIAN")
  row "3 files of 300 MB, empty PC" "$(fmt_s "$big_s")" \
    "\`cp -r\` + \`sync -f\` $(fmt_s "$SECONDS_MEDIAN")" \
    "$(printf '%.2fx' "$r")" "<= 1.1x" "$(verdict "$r" 1.1)" "$(fmt_mb "$big_rss")" \
    "$(variant_cells fmt_s "$big_s" "$big_v")"
  rm -rf "$W/big" "$W/ref"
fi

# A sealed pack against the same pack unsealed, in turns, onto an empty PC:
# what verifying each file installed costs.
if has_case sealed; then
  SEAL_COPY=$W/seal
  unsealed_prepare() { fresh_prepare; rm -f "$SP/Rolvex.sha256"; }
  sealed_prepare() { fresh_prepare; cp "$SEAL_COPY" "$SP/Rolvex.sha256"; }
  # sealed_row LABEL: the pack in $SP sealed and timed both ways.
  sealed_row() {
    "$ROLVEX_PACK" seal "$SP" >/dev/null
    mv "$SP/Rolvex.sha256" "$SEAL_COPY"
    measure_turns unsealed_prepare rolvex_run sealed_prepare rolvex_run
    local plain=${TURN_MEDIANS[0]} sealed=${TURN_MEDIANS[1]} r
    r=$(ratio "$sealed" "$plain")
    row "$1, sealed" "$(fmt_s "$sealed")" "unsealed $(fmt_s "$plain")" \
      "$(printf '%.2fx' "$r")" "<= 1.3x" "$(verdict "$r" 1.3)" \
      "$(fmt_mb "${TURN_RSS_KB[1]}")"
  }
  new_prefix sealed_small
  make_tree "$SP/Standard/Bench" 100 100 1024 8192
  sealed_row "10,000 files of 1-8 KB, empty PC"
  rm -rf "$W/sealed_small"
  new_prefix sealed_big
  mkdir -p "$SP/Standard/Bench"
  for n in 1 2 3; do
    head -c 300M /dev/urandom >"$SP/Standard/Bench/Big$n.bin"
  done
  sealed_row "3 files of 300 MB, empty PC"
  rm -rf "$W/sealed_big" "$SEAL_COPY"
fi

# A backup journal against none, in turns: 10,000 files of the pack over
# older versions of each on the PC, every one kept before it is replaced.
if has_case backup; then
  new_prefix backup
  make_tree "$SP/Standard/Bench" 100 100 1024 8192
  cp -a "$SP/Standard/Bench" "$W/older"
  find "$W/older" -type f -exec touch -d "2020-01-01 12:00" {} +
  older_prepare() {
    rm -rf "$C/Bench" "$C/QueltServicePack.log" "$W/journals"
    cp -a "$W/older" "$C/Bench"
    sync -f "$C"
  }
  backup_run() { rolvex_as ./rolvex ROLVEX_BACKUP="$W/journals"; }
  measure_turns older_prepare rolvex_run older_prepare backup_run
  plain=${TURN_MEDIANS[0]} kept=${TURN_MEDIANS[1]}
  r=$(ratio "$kept" "$plain")
  row "10,000 small files over older versions, with backup" "$(fmt_s "$kept")" \
    "no backup $(fmt_s "$plain")" "$(printf '%.2fx' "$r")" "<= 1.5x" \
    "$(verdict "$r" 1.5)" "$(fmt_mb "${TURN_RSS_KB[1]}")"
  rm -rf "$W/backup" "$W/older" "$W/journals"
fi

# Ini merge: the pack's Ini\Big.ini (every key, new values) into an existing
# C:\Big.ini with the same keys, which is put back before each run.
ini_prepare() {
  cp "$W/ini-old.ini" "$C/Big.ini"
  rm -f "$C/QueltServicePack.log"
}
ini_case() { # NAME ENTRIES: sets INI_S, INI_RSS, INI_V
  new_prefix "$1"
  mkdir -p "$SP/Ini"
  make_ini "$SP/Ini/Big.ini" "$2" new
  make_ini "$W/ini-old.ini" "$2" old
  local all_runs=$runs
  runs=${ini_runs:-$runs}
  measure_rolvex ini_prepare
  runs=$all_runs
  INI_S=$SECONDS_MEDIAN INI_RSS=$RSS_KB INI_V=$VARIANTS
  cmp -s "$C/Big.ini" "$SP/Ini/Big.ini" || {
    echo "bench: the merge of $2 entries did not give the source's entries" >&2
    exit 1
  }
  rm -rf "$W/$1"
}

if has_case ini; then
  ini_case ini5000 5000
  i5=$INI_S
  row "Ini pass merging 5,000 entries into a 5,000-entry file" \
    "$(fmt_s "$i5")" "-" "-" "<= 0.5 s" "$(verdict "$i5" 0.5)" "$(fmt_mb "$INI_RSS")" \
    "$(variant_cells fmt_s "$i5" "$INI_V")"
  ini_case ini20000 20000
  r=$(ratio "$INI_S" "$i5")
  row "Ini pass merging 20,000 entries into a 20,000-entry file" \
    "$(fmt_s "$INI_S")" "-" "$(printf '%.1fx' "$r") of 5,000" "<= 4.5x" \
    "$(verdict "$r" 4.5)" "$(fmt_mb "$INI_RSS")" \
    "$(variant_cells fmt_s "$INI_S" "$INI_V")"
fi

if has_case rss; then
  standard_case tree32k 310 102 1 16
  rss=$FRESH_RSS
  ((KEPT_RSS > rss)) && rss=$KEPT_RSS
  # The variants' peaks, the larger of their two runs.
  v_rss=""
  read -ra fresh_peaks <<<"$FRESH_VRSS"
  read -ra kept_peaks <<<"$KEPT_VRSS"
  for ((k = 0; k < ${#fresh_peaks[@]}; k++)); do
    peak=${fresh_peaks[k]}
    ((kept_peaks[k] > peak)) && peak=${kept_peaks[k]}
    v_rss+=" $peak"
  done
  row "peak RSS, 31,931-entry tree (the list holds 32,000; fresh $(fmt_s "$FRESH"), up to date $(fmt_s "$KEPT"))" \
    "$(fmt_mb "$rss")" "-" "-" "< 32 MB" "$(verdict "$rss" 32767)" "$(fmt_mb "$rss")" \
    "$(variant_cells fmt_mb "$rss" "$v_rss")"
  rm -rf "$W/tree32k"
fi

echo
echo "rolvex (Linux), medians of $runs runs (Ini rows: ${ini_runs:-$runs}), $(nproc) cores, $(date -u '+%Y-%m-%d %H:%M UTC')"
[[ -z "$baseline" ]] || echo "baseline: $baseline, in turns with this build"
((!index_off)) || echo "index off: this build with ROLVEX_FILE_INDEX=off, in turns with it"
echo
header="| case | rolvex | reference | ratio | goal | result | peak RSS |"
rule="|---|---|---|---|---|---|---|"
if [[ -n "$baseline" ]]; then
  header+=" baseline | this / baseline |" rule+="---|---|"
fi
if ((index_off)); then
  header+=" index off | this / index off |" rule+="---|---|"
fi
echo "$header"
echo "$rule"
printf '%s\n' "${ROWS[@]}"

# ---------------------------------------------------------------- Wine

((wine)) || exit 0
wine_cases=""
has_case small && wine_cases+=" small"
has_case ini && wine_cases+=" ini"
[[ -n "$wine_cases" ]] || exit 0
export BENCH_RUNS=${wine_runs:-$runs} BENCH_CASES=$wine_cases BENCH_WORK=$W/wine ROLVEX_EXE
if [[ -n "$against" ]]; then
  # The same preset, built from REV in a worktree of its own.
  base=$W/against
  git worktree add --detach "$base" "$against" >/dev/null
  trap 'git worktree remove --force "$base" 2>/dev/null; rm -rf "$W"' EXIT
  (cd "$base" && cmake --preset mingw >/dev/null &&
    cmake --build --preset mingw --target Rolvex >/dev/null)
  export BENCH_AGAINST_EXE=$base/build/mingw/src/Rolvex.exe
  export BENCH_AGAINST=$(git rev-parse --short "$against")
fi
if [[ -n "${DISPLAY:-}" ]]; then
  bash bench/wine.sh
else
  # Rolvex.exe opens its window in mode "2": it needs a screen.
  xvfb-run -a -s "-screen 0 1024x768x24" bash bench/wine.sh
fi
