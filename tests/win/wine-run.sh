#!/usr/bin/env bash
# wine-run.sh PREFIX EXE [ARGS...]
# Runs a Windows program under Wine in PREFIX, preparing the prefix on first use.
# A prefix whose folder name ends in 32 is a 32-bit Windows; any other is 64-bit Windows.
set -u
prefix=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
"$here/wine-prefix.sh" "$prefix" >/dev/null 2>&1 || { echo "wine-run: cannot prepare $prefix" >&2; exit 2; }
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
case "$prefix" in *32) export WINEARCH=win32 ;; *) export WINEARCH=win64 ;; esac
exec wine "$@"
