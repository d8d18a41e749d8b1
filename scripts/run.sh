#!/usr/bin/env bash
# Builds setup.exe and opens it under Wine, in a throwaway prefix prepared like a real Windows.
# With no display, it starts Xvfb, lets the program run for a while and saves a screenshot
# (build/screenshot.png).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
cmake --preset host >build/host.configure.log 2>&1 || { cat build/host.configure.log; exit 1; }
cmake --build --preset host -j "$jobs"
cmake --preset win32 >build/win32.configure.log 2>&1 || { cat build/win32.configure.log; exit 1; }
cmake --build --preset win32 -j "$jobs" --target setup
exe=$PWD/build/win32/bin/setup.exe

prefix=$(mktemp -d "${TMPDIR:-/tmp}/ogonek-run.XXXXXX")/prefix64
trap 'WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; rm -rf "$(dirname "$prefix")"' EXIT
tests/win/wine-prefix.sh "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ -n "${DISPLAY:-}" ]; then
  wine "$exe"
  exit 0
fi

display=:97
Xvfb $display -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; rm -rf "$(dirname "$prefix")"' EXIT
export DISPLAY=$display
sleep 1
wine "$exe" &
app=$!
sleep "${OGONEK_RUN_SECONDS:-8}"
import -window root build/screenshot.png
echo "run: screenshot saved to build/screenshot.png"
if kill -0 $app 2>/dev/null; then
  kill $app 2>/dev/null || true
else
  wait $app && echo "run: setup.exe ended with exit code 0" || echo "run: setup.exe ended with exit code $?"
fi
