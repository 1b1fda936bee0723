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
