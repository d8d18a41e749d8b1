#!/usr/bin/env bash
# make-screenshots.sh BUILD_DIR [DISPLAY_NUMBER]
# Drives the real setup.exe through every page in both interface languages (the disabled screenshot
# case of wizard_drive_test) on its own Xvfb display and saves each page, cropped to the wizard window,
# as a small PNG in docs/screenshots/. Needs Xvfb and ImageMagick. Not part of the test suite.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
display=${2:-93}
out=$root/docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true' EXIT

Xvfb ":$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=":$display"
mkdir -p "$out"

OGONEK_SHOT_DIR=$work "$root/tests/win/wine-run.sh" "$build/wine/prefix32" \
    "$build/bin/wizard_drive_test.exe" --gtest_also_run_disabled_tests \
    --gtest_filter=WizardDrive.DISABLED_Screenshots &
driver=$!

while kill -0 "$driver" 2>/dev/null; do
    if [ -f "$work/want" ]; then
        read -r name x y w h <"$work/want"
        import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shot.png"
        convert "$work/shot.png" -strip -colors 64 "PNG8:$out/$name.png"
        echo "$name.png $(stat -c %s "$out/$name.png") bytes"
        rm -f "$work/want"
    fi
    sleep 0.2
done
wait "$driver"
