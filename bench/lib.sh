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

# measure PREPARE COMMAND...: runs PREPARE (untimed), then COMMAND, $runs
# times. Sets SECONDS_MEDIAN, and RSS_KB: the largest peak RSS that COMMAND
# left in $W/rss (a program run as "$TIMED program ..." does).
TIMED="/usr/bin/time -f %M -o"
measure() {
  local prepare=$1
  shift
  local -a times=()
  local i start end rss
  RSS_KB=0
  for ((i = 0; i < runs; i++)); do
    "$prepare"
    rm -f "$W/rss"
    start=$EPOCHREALTIME
    local status=0
    "$@" </dev/null >"$W/stdout" 2>"$W/stderr" || status=$?
    if ((status != 0)); then
      echo "bench: '$*' ended with status $status:" >&2
      tail -n 5 "$W/stdout" "$W/stderr" >&2
      exit 1
    fi
    end=$EPOCHREALTIME
    times+=("$(echo "$end - $start" | bc -l)")
    if [[ -s "$W/rss" ]]; then
      rss=$(tail -n 1 "$W/rss")
      ((rss > RSS_KB)) && RSS_KB=$rss
    fi
  done
  SECONDS_MEDIAN=$(printf '%s\n' "${times[@]}" | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
}

fmt_s() { printf '%.3f s' "$1"; }
fmt_mb() { printf '%.1f MB' "$(echo "$1 / 1024" | bc -l)"; }
ratio() { echo "$1 / $2" | bc -l; }
verdict() { # VALUE LIMIT: met when VALUE <= LIMIT
  if (($(echo "$1 <= $2" | bc -l))); then echo met; else echo missed; fi
}

ROWS=()
row() {
  ROWS+=("| $1 | $2 | $3 | $4 | $5 | $6 | $7 |")
  echo "${ROWS[-1]}" >&2 # at once, so that a stopped run keeps its rows
}

