#!/usr/bin/env bash
# rolvex-pack check as a program: exit 0 for the example pack (warnings
# allowed), 1 once a file has a Windows device name, 2 without a folder or
# with bad arguments; the --json file holds the documented fields, and the
# code page of ROLVEX_CODEPAGE judges the names.
set -euo pipefail

bin=${ROLVEX_PACK_BIN:?ROLVEX_PACK_BIN must name the rolvex-pack program}
src=${ROLVEX_SOURCE_DIR:?ROLVEX_SOURCE_DIR must name the source tree}
work=$(mktemp -d /tmp/rolvex-e2e-pack-check.XXXXXX)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
expect_status() {  # what, expected, command...
  local what=$1 expected=$2 status=0
  shift 2
  "$@" >"$work/out" 2>&1 || status=$?
  if [[ $status != "$expected" ]]; then
    fail "$what: status $status, expected $expected: $(cat "$work/out")"
  fi
}

cp -r "$src/examples/servicepack" "$work/pack"
expect_status "example pack" 0 "$bin" check "$work/pack" --json "$work/clean.json"
expect_status "no folder" 2 "$bin" check "$work/none"
expect_status "bad arguments" 2 "$bin" check "$work/pack" --yaml x
: >"$work/pack/Standard/Con.log"
expect_status "device name" 1 "$bin" check "$work/pack" --json "$work/bad.json"
grep -q 'name-reserved' "$work/out" || fail "no name-reserved line"

python3 - "$src/docs/pack-check.schema.json" "$work/clean.json" \
  "$work/bad.json" <<'PY' || fail "JSON"
import json, sys
import jsonschema
schema = json.load(open(sys.argv[1]))
for name, errors in ((sys.argv[2], 0), (sys.argv[3], 1)):
    report = json.load(open(name))
    jsonschema.validate(report, schema)
    assert report["errors"] == errors, report
    assert report["warnings"] == sum(
        f["severity"] == "warning" for f in report["findings"])
    if errors:
        assert any(f["rule"] == "name-reserved" and f["tree"] == "Standard"
                   and f["path"] == "Con.log" for f in report["findings"])
PY

# A name the default Windows-1252 lacks, and a code page that has it.
rm "$work/pack/Standard/Con.log"
: >"$work/pack/Standard/Ελληνικά.txt"
expect_status "Greek in Windows-1252" 1 "$bin" check "$work/pack"
grep -q 'name-code-page' "$work/out" || fail "no name-code-page line"
expect_status "Greek in Windows-1253" 0 \
  env ROLVEX_CODEPAGE=WINDOWS-1253 "$bin" check "$work/pack"

if ((failures > 0)); then
  echo "$failures failures" >&2
  exit 1
fi
echo "pack check: all passed"
