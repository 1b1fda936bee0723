#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine (as root, or
# through sudo). Packages already present are left alone.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev libgmock-dev
  qt6-base-dev qt6-qpa-plugins libgl-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64
  xvfb xauth xdotool imagemagick x11-utils
  attr fonts-dejavu-core locales
  # The fuzz targets (libFuzzer and the sanitizer runtimes come with clang).
  clang libclang-rt-dev
)
# The run report: its JSON library (header-only, also for the cross build),
# and jq and python3-jsonschema for the end-to-end checks that read it.
packages+=(nlohmann-json3-dev jq python3-jsonschema)

# The seal's digest on Linux (Windows uses its own CNG), and sha256sum, which
# reads the seal too, for the scenarios.
packages+=(nettle-dev pkgconf coreutils)

# Signing the Windows programs (tools/sign.sh) and its test's certificate.
packages+=(osslsigncode openssl)

# The fleet example: Ansible runs it over Linux prefixes (ansible-core), and
# its Windows play is checked against ansible.windows (ansible).
packages+=(ansible-core ansible)

# The benchmark (bench/run.sh) times its reference commands with these.
packages+=(rsync time bc)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
    missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
    "${missing[@]}" >/dev/null
fi

# A Latin-1 locale, so that the tests can show that name comparisons do not
# depend on the locale the window library sets.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.iso88591$'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo localedef -i de_DE -f ISO-8859-1 de_DE.ISO-8859-1 || true
fi
