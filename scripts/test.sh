#!/usr/bin/env bash
# Builds everything and runs every test: the host suite (clang, AddressSanitizer and UBSan, fuzzers),
# then the Windows suites under Wine (a 64-bit and a 32-bit Windows prefix). Installs what it needs.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
export WINEDEBUG=-all
jobs=$(nproc)
status=0

step() { echo; echo "=== $*"; }
run_suite() { # name preset
  local name=$1 preset=$2
  rm -rf "build/$preset/results"; mkdir -p "build/$preset/results"
  step "$name: configure and build"
  if ! cmake --preset "$preset" >"build/$preset.configure.log" 2>&1; then
    cat "build/$preset.configure.log"; status=1; return
  fi
  if ! cmake --build --preset "$preset" -j "$jobs"; then status=1; return; fi
  step "$name: tests"
  ctest --preset "$preset" -j "$jobs" --timeout 900 || status=1
}

mkdir -p build
# The Windows tests open real windows: give Wine a display of its own when there is none.
xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  for n in 95 96 97 98 99; do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=:$n
    break
  done
fi
trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null' EXIT

run_suite host host
run_suite "Windows x86" win32
run_suite "Windows x64 programs" win64
# Stop the persistent Wine servers of the test prefixes: nothing of the run stays behind.
for prefix in build/*/wine/*/; do
  [ -f "$prefix/.ogonek-ready" ] && WINEPREFIX=$PWD/$prefix wineserver -k >/dev/null 2>&1
done

# Every GoogleTest program wrote its XML report; add them up so one line tells what ran where.
step "summary"
total_pass=0; total_fail=0
for preset in host win32 win64; do
  pass=0; fail=0
  for xml in build/$preset/results/*.xml; do
    [ -f "$xml" ] || continue
    line=$(grep -m1 -o '<testsuites tests="[0-9]*" failures="[0-9]*" disabled="[0-9]*" errors="[0-9]*"' "$xml")
    t=$(sed -E 's/.*tests="([0-9]+)".*/\1/' <<<"$line")
    f=$(sed -E 's/.*failures="([0-9]+)".*/\1/' <<<"$line")
    e=$(sed -E 's/.*errors="([0-9]+)".*/\1/' <<<"$line")
    pass=$((pass + t - f - e)); fail=$((fail + f + e))
  done
  echo "$preset: $pass passed, $fail failed (GoogleTest cases)"
  total_pass=$((total_pass + pass)); total_fail=$((total_fail + fail))
done
if [ $status -ne 0 ] && [ $total_fail -eq 0 ]; then total_fail=1; fi
echo "Total: $total_pass passed, $total_fail failed"
exit $status
