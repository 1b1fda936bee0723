# Helpers of the benchmark scripts: making trees and ini files, timing a
# command, formatting a table row. Needs W (the work folder) and runs.

# ---------------------------------------------------------------- making trees

# make_tree DIR FOLDERS FILES MIN MAX: FOLDERS folders of FILES files each
# below DIR, sizes between MIN and MAX bytes, all dated 2020-01-01 so that a
# second run finds every target up to date.
make_tree() {
  python3 - "$@" <<'EOF_PY'
import os, random, sys
root, folders, files, low, high = sys.argv[1], *map(int, sys.argv[2:])
rng = random.Random(4711)
blob = os.urandom(high)
stamp = 1577880000  # 2020-01-01 12:00 UTC
for d in range(folders):
    folder = os.path.join(root, "Folder%04d" % d) if folders > 1 else root
    os.makedirs(folder, exist_ok=True)
    for f in range(files):
        path = os.path.join(folder, "File%05d.dat" % f)
        with open(path, "wb") as out:
            out.write(blob[: rng.randint(low, high)])
        os.utime(path, (stamp, stamp))
EOF_PY
}

# make_ini FILE ENTRIES VALUE: ENTRIES entries in sections of 100 keys.
make_ini() {
  python3 - "$@" <<'EOF_PY'
import sys
path, entries, value = sys.argv[1], int(sys.argv[2]), sys.argv[3]
with open(path, "wb") as out:
    for n in range(entries):
        if n % 100 == 0:
            out.write(b"[Section%03d]\r\n" % (n // 100))
        out.write(b"Key%05d=%s%d\r\n" % (n, value.encode(), n))
EOF_PY
}

# ---------------------------------------------------------------- timing

# time_once PREPARE COMMAND...: runs PREPARE (untimed), then COMMAND once.
# Sets ONE_SECONDS, and ONE_RSS_KB: the peak RSS that COMMAND left in
# $W/rss (a program run as "$TIMED program ..." does), else 0.
TIMED="/usr/bin/time -f %M -o"
time_once() {
  local prepare=$1
  shift
  "$prepare"
  rm -f "$W/rss"
  local start=$EPOCHREALTIME status=0
  "$@" </dev/null >"$W/stdout" 2>"$W/stderr" || status=$?
  local end=$EPOCHREALTIME
  if ((status != 0)); then
    echo "bench: '$*' ended with status $status:" >&2
    tail -n 5 "$W/stdout" "$W/stderr" >&2
    exit 1
  fi
  ONE_SECONDS=$(echo "$end - $start" | bc -l)
  ONE_RSS_KB=0
  [[ -s "$W/rss" ]] && ONE_RSS_KB=$(tail -n 1 "$W/rss")
  return 0
}

median() { # the median of the arguments
  printf '%s\n' "$@" | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# measure PREPARE COMMAND...: time_once, $runs times. Sets SECONDS_MEDIAN
# and RSS_KB, the largest peak RSS of the runs.
measure() {
  local -a times=()
  local i
  RSS_KB=0
  for ((i = 0; i < runs; i++)); do
    time_once "$@"
    times+=("$ONE_SECONDS")
    ((ONE_RSS_KB > RSS_KB)) && RSS_KB=$ONE_RSS_KB
  done
  SECONDS_MEDIAN=$(median "${times[@]}")
}

# measure_turns PREPARE COMMAND [PREPARE COMMAND]...: the commands in
# turns, $runs times each, so that a change in the state of the machine (a
# busy disk, a neighbour on the host) meets them all alike. Sets
# TURN_MEDIANS and TURN_RSS_KB (the largest peak RSS of its runs), one
# element per command, in the order given.
measure_turns() {
  local -a times=() rss=()
  local i k n=$(($# / 2))
  local -a args=("$@")
  for ((i = 0; i < runs; i++)); do
    for ((k = 0; k < n; k++)); do
      time_once "${args[2 * k]}" "${args[2 * k + 1]}"
      times[k]+=" $ONE_SECONDS"
      ((ONE_RSS_KB > ${rss[k]:-0})) && rss[k]=$ONE_RSS_KB
    done
  done
  TURN_MEDIANS=() TURN_RSS_KB=()
  for ((k = 0; k < n; k++)); do
    # shellcheck disable=SC2086 # the times are one word each
    TURN_MEDIANS+=("$(median ${times[k]})")
    TURN_RSS_KB+=("${rss[k]:-0}")
  done
}

# measure_pair PREPARE COMMAND REF_PREPARE REF_COMMAND: the installer and
# its reference in turns (measure_turns). Sets SECONDS_MEDIAN and RSS_KB
# for COMMAND, and REF_MEDIAN for REF_COMMAND.
measure_pair() {
  measure_turns "$@"
  SECONDS_MEDIAN=${TURN_MEDIANS[0]} RSS_KB=${TURN_RSS_KB[0]}
  REF_MEDIAN=${TURN_MEDIANS[1]}
}

fmt_s() { printf '%.3f s' "$1"; }
fmt_mb() { printf '%.1f MB' "$(echo "$1 / 1024" | bc -l)"; }
ratio() { echo "$1 / $2" | bc -l; }
verdict() { # VALUE LIMIT: met when VALUE <= LIMIT
  if (($(echo "$1 <= $2" | bc -l))); then echo met; else echo missed; fi
}

# row CASE ROLVEX REFERENCE RATIO GOAL RESULT RSS [MORE]: a table row;
# MORE is further cells, already formatted ("| a | b |").
ROWS=()
row() {
  ROWS+=("| $1 | $2 | $3 | $4 | $5 | $6 | $7 |${8:-}")
  echo "${ROWS[-1]}" >&2 # at once, so that a stopped run keeps its rows
}

# new_prefix NAME: a prefix laid out as the program makes it, with the pack
# folder C:\ServicePacks holding the program and its texts. Sets PREFIX, C
# (drive C:) and SP. Needs W, ROLVEX and, when set, baseline.
new_prefix() {
  PREFIX=$W/$1
  C=$PREFIX/drive_c
  SP=$C/ServicePacks
  mkdir -p "$PREFIX/dosdevices" "$SP"
  ln -sfn ../drive_c "$PREFIX/dosdevices/c:"
  cp examples/servicepack/Rolvex.ini examples/servicepack/Rolvex.txt "$SP/"
  cp "$ROLVEX" "$SP/rolvex"
  # Beside it, so that it finds the same texts (they are named by folder).
  [[ -z "$baseline" ]] || cp "$baseline" "$SP/rolvex-baseline"
}
