#!/usr/bin/env bash
# End-to-end check of the SDL backend on a real (virtual) X display: starts
# Xvfb, runs app-demo with key echo, types F1, keypad 7, Pause, Left and "ä"
# with xdotool, checks the virtual-key and character codes the demo printed,
# and checks a screenshot of the screen is not blank.
#
#   scripts/e2e-demo.sh [build-dir]      (default: build/normal)
# Needs: Xvfb, xdotool, ImageMagick (import, identify).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/normal}
demo=$build/platform/sdl/app-demo
[[ -x $demo ]] || { echo "e2e-demo: $demo not built" >&2; exit 2; }
for tool in Xvfb xdotool import identify; do
  command -v "$tool" >/dev/null || { echo "e2e-demo: $tool missing" >&2; exit 2; }
done

# For a sanitizer build: the one library leak of the session bus (see the
# file); no effect on a normal build.
export LSAN_OPTIONS="suppressions=$here/tests/sdl/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

fail() { echo "e2e-demo: $*" >&2; exit 1; }
. "$here/scripts/lib/display.sh"
open_session
start_display 1280 800

"$demo" --echo >"$work/out" 2>"$work/err" &
app_pid=$!
for _ in $(seq 100); do grep -q READY "$work/out" 2>/dev/null && break; sleep 0.1; done
grep -q READY "$work/out" || { echo "e2e-demo: the demo did not come up" >&2; cat "$work/err" >&2; exit 1; }

# Keys go to the focused window; there is no window manager to give focus.
win=$(xdotool search --sync --name Kestrava | head -1)
xdotool windowfocus --sync "$win" || true
sleep 0.3
xdotool key --delay 80 F1 KP_7 Pause Left adiaeresis
sleep 0.5

import -window root "$work/shot.png"
xdotool key Escape
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then
  echo "e2e-demo: Escape did not end the demo" >&2; exit 1
fi
wait "$app_pid" || { echo "e2e-demo: the demo failed" >&2; cat "$work/err" >&2; exit 1; }
app_pid=""

status=0
expect() {
  if grep -qx "$1" "$work/out"; then echo "ok   $1"; else echo "FAIL $1 not printed"; status=1; fi
}
expect "KEY 112"   # F1
expect "KEY 103"   # keypad 7, whatever Num Lock says
expect "KEY 19"    # Pause
expect "KEY 37"    # Left
expect "CHAR 228"  # ä in Windows-1252
expect "KEY 27"    # Escape

# A blank screen has no spread of colours; the demo draws text on blue.
colours=$(identify -format '%k' "$work/shot.png")
if (( colours >= 4 )); then echo "ok   screenshot has $colours colours"; else
  echo "FAIL screenshot has $colours colours"; status=1; fi

if (( status != 0 )); then
  echo "--- demo output"; cat "$work/out"; echo "--- demo errors"; cat "$work/err"
fi
exit $status
