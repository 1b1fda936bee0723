#!/usr/bin/env bash
# Signing as it ships: a throw-away self-signed certificate, tools/sign.sh
# over copies of the x64 programs that go to the PCs, osslsigncode verify
# against that certificate, and the signed Rolvex.exe on the example pack
# under Wine. ROLVEX_EXE: the built Rolvex.exe, the other programs beside it.
set -uo pipefail
repo=${ROLVEX_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
built=$(cd "$(dirname "${ROLVEX_EXE:?}")" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/rolvex-sign.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "  FAIL [wine_signing_test]: $*" >&2
  exit 1
}

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Rolvex test signer" \
  -addext "extendedKeyUsage=codeSigning" \
  -keyout "$tmp/key.pem" -out "$tmp/cert.pem" >/dev/null 2>&1 ||
  fail "no certificate"
openssl pkcs12 -export -inkey "$tmp/key.pem" -in "$tmp/cert.pem" \
  -passout pass:test -out "$tmp/cert.p12" >/dev/null 2>&1 || fail "no .p12"

mkdir -p "$tmp/src"
cp "$built/Rolvex.exe" "$built/RolvexPreview.exe" "$built/RolvexUndo.exe" "$tmp/src/"
ROLVEX_SIGN_PASSWORD=test \
  ROLVEX_SIGN_FILES="$tmp/src/Rolvex.exe $tmp/src/RolvexPreview.exe $tmp/src/RolvexUndo.exe" \
  bash "$repo/tools/sign.sh" "$tmp/cert.p12" >/dev/null || fail "sign.sh failed"
for exe in Rolvex.exe RolvexPreview.exe RolvexUndo.exe; do
  osslsigncode verify -CAfile "$tmp/cert.pem" -in "$tmp/src/$exe" \
    >"$tmp/verify.txt" 2>&1 ||
    fail "$exe: $(grep -m3 -i -e fail -e error "$tmp/verify.txt")"
  grep -q "Message digest algorithm  : SHA256" "$tmp/verify.txt" ||
    fail "$exe: not signed with SHA-256"
done
# The signature leaves the manifest and the rest as they were.
python3 "$repo/tools/pe_check.py" installer="$tmp/src/Rolvex.exe" \
  preview="$tmp/src/RolvexPreview.exe" undo="$tmp/src/RolvexUndo.exe" \
  >/dev/null || fail "pe_check after signing"

# The pack tool only reseals the pack for the scenario: the unsigned build.
ROLVEX_EXE=$tmp/src/Rolvex.exe ROLVEX_PREVIEW_EXE=$tmp/src/RolvexPreview.exe \
  ROLVEX_PACK_EXE="$built/RolvexPack.exe" ROLVEX_UNDO_EXE=$tmp/src/RolvexUndo.exe \
  ROLVEX_WINE_TOOLS="$built/../tests/e2e/wine_tools" \
  bash "$repo/tests/e2e/wine_scenarios_test.sh" scenario_example_pack ||
  fail "the signed program did not install the example pack"
echo "wine_signing_test: the programs signed, verified, and the signed one installs"
