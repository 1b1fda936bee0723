#!/usr/bin/env bash
# Crash trials: the program is killed with SIGKILL at random moments, as a
# deployment agent's time-out kills it, while it installs a pack of a few
# large and several hundred small files over older versions. After each
# kill every target holds its old or its new content, and the undo of the
# killed run (it keeps a backup journal) puts the PC back exactly as it was
# before it; a second run then completes, leaves everything new and no
# temporary of the installer anywhere below the prefix.
#
# E2E_DRIVER picks the program (see lib.sh):
# - linux: the pack also merges ini entries, and every ini file must parse
#   with each entry old or new after a kill. Every other trial runs on a
#   file system without unnamed temporary files (the fault shim refuses
#   O_TMPFILE), so that the named temporaries and their removal are tried
#   too.
# - wine: Rolvex.exe, the Windows process itself killed. Its ini files are
#   written by kernel32 in place, which these trials do not ask about.
#
# ROLVEX_CRASH_SEED repeats a run's kill moments; ROLVEX_CRASH_TRIALS sets
# the number of trials (default 20).
if [[ "${E2E_DRIVER:-}" == wine && -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"

if [[ "$(drv_platform)" == linux ]]; then
  SHIM=${ROLVEX_FAULT_SHIM:-$E2E_REPO/build/linux/tests/e2e/librolvex_fault_shim.so}
  # A program built with AddressSanitizer needs its runtime first among the
  # preloaded libraries, ahead of the shim.
  asan_runtime=$(ldd "$ROLVEX_BIN" 2>/dev/null | awk '/libasan/ {print $3}')
  [ -z "$asan_runtime" ] || SHIM="$asan_runtime $SHIM"
  BIG_MB=3 INIS="1 2 3 4"
else
  # Wine starts slower and copies slower: larger files, so that kills land
  # in the middle of a copy, too.
  BIG_MB=32 INIS=""
fi
SEED=${ROLVEX_CRASH_SEED:-$((RANDOM * 32768 + RANDOM))}
TRIALS=${ROLVEX_CRASH_TRIALS:-20}
echo "crash trials ($(drv_platform)): seed $SEED (ROLVEX_CRASH_SEED=$SEED repeats them)"
RANDOM=$SEED

e2e_fresh
# 360 small files in 12 folders, a few large ones, 60 files new to the PC.
for d in $(seq -w 1 12); do
  mkdir -p "$SP/Standard/App$d" "$DRIVE_C/App$d"
  for f in $(seq -w 1 30); do
    printf 'new %s/%s %0300d\r\n' "$d" "$f" 0 >"$SP/Standard/App$d/f$f.dat"
    if ((10#$f <= 25)); then
      printf 'old %s/%s\r\n' "$d" "$f" >"$DRIVE_C/App$d/f$f.dat"
    fi
  done
done
# First in the listing's order, so that their copies are not all at the
# end of a run.
mkdir -p "$SP/Standard/0Big" "$DRIVE_C/0Big"
for b in 1 2 3; do
  head -c $((BIG_MB << 20)) /dev/zero | tr '\0' "$b" >"$SP/Standard/0Big/b$b.bin"
  head -c $((2 << 20)) /dev/zero | tr '\0' o >"$DRIVE_C/0Big/b$b.bin"
done
find "$SP/Standard" -type f -exec touch -d "2021-01-01 12:00" {} +
find "$DRIVE_C" -path "$SP" -prune -o -type f -exec touch -d "2020-01-01 12:00" {} +
# Ini files: 40 entries each, 30 of them on the PC with old values.
for n in $INIS; do
  {
    for s in A B; do
      crlf "[$s]"
      for k in $(seq 1 20); do crlf "k$k=new $n$s$k"; done
    done
  } | put "$SP/Ini/Cfg/c$n.ini"
  {
    crlf "; the PC's own settings" "[A]" "own=kept"
    for k in $(seq 1 15); do crlf "k$k=old ${n}A$k"; done
    crlf "[B]"
    for k in $(seq 1 15); do crlf "k$k=old ${n}B$k"; done
  } | put "$DRIVE_C/Cfg/c$n.ini"
done
drv_install_program

# What each target may hold: one line "path old-sum new-sum" per file, "-"
# for a file the PC did not have.
sum_of() { if [[ -e "$1" ]]; then md5sum <"$1" | cut -c1-32; else echo -; fi; }
: >"$E2E_TMP/expected"
while IFS= read -r -d '' src; do
  rel=${src#"$SP/Standard/"}
  printf '%s %s %s\n' "$rel" "$(sum_of "$DRIVE_C/$rel")" "$(sum_of "$src")" \
    >>"$E2E_TMP/expected"
done < <(find "$SP/Standard" -type f -print0)
# The folders the pack installs into, as they were (Wine's drive C: also
# holds its own system, which the trials leave alone).
mapfile -t INSTALLED < <(cd "$DRIVE_C" && ls -d App?? 0Big Cfg 2>/dev/null)
rm -rf "$E2E_TMP/pristine"
mkdir -p "$E2E_TMP/pristine"
(cd "$DRIVE_C" && cp -a --parents "${INSTALLED[@]}" "$E2E_TMP/pristine/")

# Every target old or new ($1 = "new" demands new).
check_targets() {
  local bad
  (cd "$DRIVE_C" && cut -d' ' -f1 "$E2E_TMP/expected" |
    xargs -d '\n' md5sum 2>/dev/null) >"$E2E_TMP/sums"
  bad=$(awk -v mode="$1" 'NR == FNR { got[$2] = $1; next }
    { now = ($1 in got) ? got[$1] : "-"
      if (now != $3 && (mode == "new" || now != $2)) print $1 }' \
    "$E2E_TMP/sums" "$E2E_TMP/expected")
  local what="neither old nor new"
  [[ $1 == new ]] && what="not new"
  [[ -z "$bad" ]] || fail "trial $trial: $what:" $bad
}

# Every ini file parses (each line empty, a comment, a section or an entry,
# each ended by CR LF) and each entry is old, new or (for one the PC lacked)
# absent; $1 = "new" demands new.
check_inis() {
  local n bad
  for n in $INIS; do
    bad=$(LC_ALL=C awk -v n="$n" -v mode="$1" '
      !/\r$/ { print "line " NR " without CR LF" }
      { sub(/\r$/, "") }
      /^\[[^]]+\]$/ { section = substr($0, 2, length($0) - 2); next }
      /^;/ || $0 == "" { next }
      !/=/ { print "line " NR " is no entry: " $0; next }
      { key = substr($0, 1, index($0, "=") - 1)
        if (!((section, key) in value)) value[section, key] = substr($0, index($0, "=") + 1) }
      END {
        if (value["A", "own"] != "kept") print "own=kept lost"
        for (s = 0; s < 2; s++) for (k = 1; k <= 20; k++) {
          sec = s ? "B" : "A"; want = "new " n sec k; was = "old " n sec k
          has = (sec, "k" k) in value; got = value[sec, "k" k]
          if (got == want) continue
          if (mode != "new" && (has ? got == was : k > 15)) continue
          print "[" sec "] k" k "=" (has ? got : "(absent)")
        }
      }' "$DRIVE_C/Cfg/c$n.ini")
    [[ -z "$bad" ]] || fail "trial $trial: c$n.ini:" $bad
  done
}

temporaries() { find "$DRIVE_C" -name '*~rolvex-*' | wc -l; }

# Becomes the program (exec), so that a kill reaches it: run it in a
# subshell, "(run_program)", or in the background, "run_program &".
run_program() {
  if [[ "$(drv_platform)" == wine ]]; then
    cd "$E2E_WINE_CWD" || exit
    exec env ROLVEX_UNATTENDED=1 wine "$E2E_PROGRAM_WIN" 2 </dev/null \
      >"$E2E_TMP/out.txt" 2>"$E2E_TMP/err.txt"
  fi
  local faults=""
  if ((trial % 2 == 1)); then
    faults="tmpfile,EOPNOTSUPP,0,*"
  fi
  # A process killed with SIGKILL loses nothing the kernel holds: the trials
  # need not wait for the disk.
  cd "$(dirname "$E2E_PROGRAM")" || exit
  exec env LD_PRELOAD="$SHIM" ROLVEX_NO_FSYNC=1 ROLVEX_FAULTS="$faults" \
    ROLVEX_PREFIX="$PREFIX" ROLVEX_UI=console "$E2E_PROGRAM" 2 </dev/null \
    >"$E2E_TMP/out.txt" 2>"$E2E_TMP/err.txt"
}

reset_pc() {
  (cd "$DRIVE_C" && rm -rf "${INSTALLED[@]}")
  cp -a "$E2E_TMP/pristine/." "$DRIVE_C/"
}

# When an uninterrupted run begins to install (its first log line) and when
# it ends, in milliseconds: the kills fall anywhere in between. (Wine alone
# takes a second or two to start.)
# The second of two runs is measured: the first of a prefix is slower.
trial=0
now_ms() { echo $(($(date +%s%N) / 1000000)); }
for warm in 1 2; do
  reset_pc
  rm -f "$DRIVE_C/QueltServicePack.log"
  started=$(now_ms)
  run_program &
  pid=$!
  first=""
  while kill -0 "$pid" 2>/dev/null; do
    [[ -z "$first" && -e "$DRIVE_C/QueltServicePack.log" ]] &&
      first=$(($(now_ms) - started))
    sleep 0.01
  done
  wait "$pid"
  span=$(($(now_ms) - started))
  first=${first:-0}
  check_targets new
done
echo "an uninterrupted run installs from $first ms to $span ms"

killed=0 seen_left=0
for ((trial = 1; trial <= TRIALS; trial++)); do
  reset_pc
  delay=$((first + (RANDOM * 32768 + RANDOM) % (span - first + 1)))
  e2e_undo_begin
  run_program &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  (($? == 128 + 9)) && killed=$((killed + 1))
  left=$(temporaries)
  seen_left=$((seen_left + left))
  check_targets any
  check_inis any
  e2e_undo_check "trial $trial"

  (run_program)
  status=$?
  [[ $status == 0 ]] || fail "trial $trial: the second run ended with $status"
  check_targets new
  check_inis new
  left_after=$(temporaries)
  ((left_after == 0)) ||
    fail "trial $trial: $left_after temporaries left after the second run: $(find "$DRIVE_C" -name '*~rolvex-*')"
  echo "trial $trial: killed after $delay ms, $left temporaries visible after the kill, $left_after after the next run"
done
echo "$killed of $TRIALS runs killed; $seen_left temporaries seen right after a kill, all gone after the next run"

e2e_finish
