#!/usr/bin/env bash
# Measures setup.exe's start-up to its first painted page against the minimal dialog program, under
# Wine and Xvfb, in one run. Build first:
#   cmake --build --preset win32 --target setup startup_probe minimal_dialog
set -eu
cd "$(dirname "$0")/../.."
bin=$PWD/build/win32/bin
prefix=$PWD/build/win32/wine/bench64
tests/win/wine-prefix.sh "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ -z "${DISPLAY:-}" ]; then
  Xvfb :93 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb' EXIT
  export DISPLAY=:93
  sleep 1
fi
runs=${1:-10}
wine "$bin/startup_probe.exe" "$(winepath -w "$bin/minimal_dialog.exe")" "$runs"
wine "$bin/startup_probe.exe" "$(winepath -w "$bin/setup.exe")" "$runs"
