#!/usr/bin/env bash
# wine-prefix.sh PREFIX [VERSION]
# Makes PREFIX a Windows that looks like a real one to the installer: created once with wineboot,
# given the registry keys every Windows has (real-windows.reg), and a Windows version
# (default win10). Keeps one wineserver running for it, so that the background services Wine
# starts never hold on to the output of whoever called us.
set -eu
prefix=$1
version=${2:-win10}
here=$(cd "$(dirname "$0")" && pwd)
# No Mono or Gecko downloads, and no menu builder copying test shortcuts into the host's menus.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
case "$prefix" in *32) export WINEARCH=win32 ;; *) export WINEARCH=win64 ;; esac
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
# Every Wine command below gets no copy of the lock (9>&-): Wine's services outlive this script and
# would hold it for ever.
if [ ! -f "$prefix/.ogonek-ready" ]; then
  rm -rf "$prefix"
  wineboot -i </dev/null >/dev/null 2>&1 9>&-
  wineserver -w 9>&-
  wine regedit /S "$(winepath -w "$here/real-windows.reg" 2>/dev/null 9>&-)" </dev/null >/dev/null 2>&1 9>&-
  wine winecfg -v "$version" </dev/null >/dev/null 2>&1 9>&- || true
  wineserver -w 9>&-
  # The user's folders (Desktop, Documents, ...) are links to the host's home: make them real
  # folders of the prefix, so that what the tests create stays inside the build folder.
  for link in "$prefix"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
  done
  touch "$prefix/.ogonek-ready"
fi
exec 9>&-
# A persistent server, started with no inherited output.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
