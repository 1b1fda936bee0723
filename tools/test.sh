#!/usr/bin/env bash
# Installs what is missing, builds both programs and runs every test: the
# Linux build's unit and end-to-end tests, then the Windows build's tests
# under Wine. Artefacts (screenshots, logs) land in artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh

# Wine keeps its state in a prefix; a fresh one per run keeps runs apart.
scratch=$(mktemp -d /tmp/rolvex-test.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
export WINEPREFIX="$scratch/wine"
export WINEDEBUG=-all
export ROLVEX_ARTIFACTS="$PWD/artifacts"
mkdir -p "$ROLVEX_ARTIFACTS"

echo "== Linux build"
cmake --preset linux >/dev/null
cmake --build --preset linux
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset linux

echo "== Windows build (mingw-w64), tests under Wine"
cmake --preset mingw >/dev/null
cmake --build --preset mingw
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset mingw

echo "== The Windows program as it ships: 32-bit (mingw-w64 i686), tests compiled"
cmake --preset mingw-i686 >/dev/null
cmake --build --preset mingw-i686
# Both builds of the three programs: machine, subsystem, manifest, imports,
# hardening, version resource, no debug sections.
python3 tools/pe_check.py \
  installer=build/mingw-i686/src/Rolvex.exe preview=build/mingw-i686/src/RolvexPreview.exe \
  pack=build/mingw-i686/src/RolvexPack.exe undo=build/mingw-i686/src/RolvexUndo.exe \
  installer=build/mingw/src/Rolvex.exe preview=build/mingw/src/RolvexPreview.exe \
  pack=build/mingw/src/RolvexPack.exe undo=build/mingw/src/RolvexUndo.exe
# A second build in another folder gives the same bytes.
cmake --preset mingw-i686 -B "$scratch/i686-again" >/dev/null
cmake --build "$scratch/i686-again" --target Rolvex RolvexPreview RolvexPack RolvexUndo >/dev/null
for exe in Rolvex.exe RolvexPreview.exe RolvexPack.exe RolvexUndo.exe; do
  cmp "build/mingw-i686/src/$exe" "$scratch/i686-again/src/$exe" || {
    echo "reproducible build: $exe differs between two builds" >&2
    exit 1
  }
done
echo "reproducible build: the four programs the same bytes from two builds"

echo "== Sanitizers: the Linux program, its tests and scenarios under ASan+UBSan"
# Each report goes to a file of its own, so that a report from a program an
# end-to-end script started, whose status the script may not look at, fails
# the run as well; exitcode 86 is none of the installer's statuses. Leak
# checking is on and needs no suppressions: the Qt window's tests and
# scenarios report no leak.
reports="$scratch/sanitizer-reports"
mkdir -p "$reports"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:exitcode=86:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=86:log_path=$reports/ubsan"
cmake --preset asan >/dev/null
cmake --build --preset asan
asan_status=0
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset asan -j2 || asan_status=$?
unset ASAN_OPTIONS UBSAN_OPTIONS
if compgen -G "$reports/*" >/dev/null; then
  cat "$reports"/* >&2
  mkdir -p "$ROLVEX_ARTIFACTS/sanitizer" && cp "$reports"/* "$ROLVEX_ARTIFACTS/sanitizer/"
  echo "sanitizers: reports above" >&2
  exit 1
fi
((asan_status == 0)) || exit "$asan_status"

echo "== Fuzz targets, about 30 s each (longer: bash tools/fuzz.sh SECONDS)"
bash tools/fuzz.sh 30
