#!/usr/bin/env bash
# tools/sign.sh CERT.p12 [TIMESTAMP-URL]
#
# Signs the programs that ship (build/mingw-i686/src/Rolvex.exe,
# RolvexPreview.exe, RolvexPack.exe and RolvexUndo.exe; ROLVEX_SIGN_FILES names others, separated by blanks)
# with Authenticode, SHA-256, using osslsigncode and the certificate and
# key in CERT.p12, whose password comes from ROLVEX_SIGN_PASSWORD (empty
# when unset). With TIMESTAMP-URL the signature gets an RFC 3161 time stamp
# from that server, so it stays valid after the certificate expires.
# Each file is signed into a new file beside it, then renamed over it.
set -euo pipefail
cd "$(dirname "$0")/.."
if (($# < 1 || $# > 2)) || [[ ! -f "$1" ]]; then
  echo "usage: tools/sign.sh CERT.p12 [TIMESTAMP-URL]" >&2
  exit 2
fi
cert=$1
stamp=()
(($# == 2)) && stamp=(-ts "$2")
read -r -a files <<<"${ROLVEX_SIGN_FILES:-build/mingw-i686/src/Rolvex.exe build/mingw-i686/src/RolvexPreview.exe build/mingw-i686/src/RolvexPack.exe build/mingw-i686/src/RolvexUndo.exe}"
for file in "${files[@]}"; do
  case $(basename "$file") in
    Rolvex.exe) what="Rolvex service-pack installer" ;;
    RolvexPreview.exe) what="Rolvex service-pack preview" ;;
    RolvexPack.exe) what="Rolvex service-pack checker" ;;
    RolvexUndo.exe) what="Rolvex undo" ;;
    *) what=$(basename "$file") ;;
  esac
  # osslsigncode writes only a new file: a new folder beside the program
  # holds it until it is renamed over the program.
  folder=$(mktemp -d "$(dirname "$file")/.sign.XXXXXX")
  if ! osslsigncode sign -pkcs12 "$cert" -pass "${ROLVEX_SIGN_PASSWORD:-}" \
    -h sha256 -n "$what" "${stamp[@]}" -in "$file" -out "$folder/signed" \
    >"$folder/log" 2>&1; then
    cat "$folder/log" >&2
    rm -rf "$folder"
    echo "sign.sh: $file could not be signed" >&2
    exit 1
  fi
  chmod --reference="$file" "$folder/signed"
  mv -f "$folder/signed" "$file"
  rm -rf "$folder"
  echo "signed $file"
done
