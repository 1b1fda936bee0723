#!/usr/bin/env bash
# The differential test: one generated script (seed printed; ROLVEX_DIFF_SEED
# and ROLVEX_DIFF_CASES choose others), replayed through the POSIX store of
# the Linux build and through kernel32 under Wine, the transcripts compared.
set -euo pipefail
: "${ROLVEX_DIFF_POSIX:?the Linux build's rolvex_profile_differential}"
: "${ROLVEX_DIFF_WIN32:?the Windows build's rolvex_profile_differential.exe}"
if [ ! -x "$ROLVEX_DIFF_POSIX" ]; then
  echo "missing $ROLVEX_DIFF_POSIX: build the linux preset first" >&2
  exit 1
fi
seed=${ROLVEX_DIFF_SEED:-20261208}
cases=${ROLVEX_DIFF_CASES:-400}
work=$(mktemp -d /tmp/rolvex-diff.XXXXXX)
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }

echo "seed $seed, $cases files"
"$ROLVEX_DIFF_POSIX" generate "$seed" "$cases" "$work/script"
"$ROLVEX_DIFF_POSIX" replay "$work/script" "$work/posix"
"${ROLVEX_WINE:-wine}" "$ROLVEX_DIFF_WIN32" replay "$(winpath "$work/script")" \
  "$(winpath "$work/win32")"
"$ROLVEX_DIFF_POSIX" compare "$work/script" "$work/posix" "$work/win32"
