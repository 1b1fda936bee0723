#!/usr/bin/env bash
# Installs the example service pack with the Linux program, unattended.
#
# Installs what building needs, builds the Linux preset, copies the example
# service pack and the built program into C:\ServicePacks of the prefix
# ($ROLVEX_PREFIX, default ~/.local/share/rolvex), runs it in mode "2" on the
# console and prints the lines this run added to the log C:\QueltServicePack.log,
# the registrations it made and its exit status.
#
# Run it again to see the second run: files that are already installed are
# kept ("Unverändert"), the font is replaced, ini entries are written again.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

bash tools/setup.sh
cmake --preset linux
cmake --build --preset linux

prefix=${ROLVEX_PREFIX:-$HOME/.local/share/rolvex}
export ROLVEX_PREFIX=$prefix
# The prefix as the program would lay it out on first use: drive C: is
# dosdevices/c:, a link to drive_c.
if [ ! -e "$prefix/dosdevices/c:" ]; then
  mkdir -p "$prefix/dosdevices" "$prefix/drive_c"
  ln -s ../drive_c "$prefix/dosdevices/c:"
fi
drive_c=$(cd "$prefix/dosdevices/c:" && pwd -P)

# C:\ServicePacks is the default ServicePackDir: a program started from there
# also hands the service pack's version over to C:\Computer.ini.
sp=$drive_c/ServicePacks
mkdir -p "$sp"
cp -a examples/servicepack/. "$sp/"
cp build/linux/src/rolvex "$sp/rolvex"

# A PC as the service pack expects it: the Windows folder with its Fonts
# folder and an ini file whose entries the Ini pass merges.
mkdir -p "$drive_c/Windows/Fonts"
if [ ! -e "$drive_c/Windows/Quelt.ini" ]; then
  printf '[Allgemein]\r\nVersion=3.1.0\r\nMaschine=M-4711\r\n' \
    >"$drive_c/Windows/Quelt.ini"
fi

log=$drive_c/QueltServicePack.log
registrations=${ROLVEX_REGSVR32_LOG:-$prefix/regsvr32.log}
export ROLVEX_REGSVR32_LOG=$registrations
log_before=$(stat -c %s "$log" 2>/dev/null || echo 0)
reg_before=$(stat -c %s "$registrations" 2>/dev/null || echo 0)

echo
echo "== rolvex 2 in $sp (prefix $prefix)"
set +e
(cd "$sp" && PATH="$repo/tools/regsvr32:$PATH" ROLVEX_UI=console \
  ./rolvex 2 </dev/null)
status=$?
set -e

echo
echo "== C:\\QueltServicePack.log ($log), lines of this run"
if [ -e "$log" ]; then
  tail -c +$((log_before + 1)) "$log" | tr -d '\r' | iconv -f CP1252 -t UTF-8
fi
echo
echo "== Registrations of this run (RegSvr32 stand-in, $registrations)"
if [ -e "$registrations" ]; then
  tail -c +$((reg_before + 1)) "$registrations"
fi

echo
# A POSIX exit status keeps 8 bits: the program's 3010 arrives as 194.
case $status in
  0) meaning="run completed without a reported failure" ;;
  1) meaning="run completed; failures were reported (see the log)" ;;
  2) meaning="ended by the exit button" ;;
  3) meaning="ended by the operator's Abort; the cancel latch is now set" ;;
  4) meaning="start refused: CancelSP=True in C:\\ServicePack.ini ($drive_c/ServicePack.ini); set it to False to install again" ;;
  3010 | 194) meaning="run completed; a replacement waits for the next restart (run build/linux/src/rolvex-restart)" ;;
  *) meaning="unexpected" ;;
esac
echo "== Exit status $status: $meaning"
