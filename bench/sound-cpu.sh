#!/usr/bin/env bash
# CPU use of the program during a ZEK test, with the sound output running
# (SDL's disk driver writing to /dev/null at the real pace, the player
# un-paused and mixing silence) against the same test with no sound device
# at all. Target: under one percentage point more with sound.
#
# Usage: bench/sound-cpu.sh [build dir] [seconds measured, default 20]
# Needs Xvfb and xdotool; about 2 x (15 + seconds) s.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/normal}" && pwd)
seconds=${2:-20}
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "sound-cpu: $*" >&2; exit 1; }
. "$here/scripts/lib/display.sh"
start_display 1024 768
hz=$(getconf CLK_TCK)

# cpu_ticks PID: user + system time of the process so far, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

measure() { # driver
  rm -rf "$work/program"
  cp -a "$build/program" "$work/program"
  rm -f "$work/program/velomar.INI" "$work/program/TESTS/"*.RLT
  (cd "$work/program" && SDL_AUDIODRIVER=$1 SDL_DISKAUDIOFILE=/dev/null exec ./velomar) >"$work/velomar.log" 2>&1 &
  app_pid=$!
  wait_for_menu
  xdotool mousemove 245 214 click 1
  sleep 0.3
  xdotool mousemove 249 583 click 1
  sleep 1
  xdotool type --delay 80 00
  xdotool key Tab
  xdotool type --delay 80 05
  xdotool key Return
  sleep 5 # title and countdown
  xdotool mousemove 900 700
  local before after
  before=$(cpu_ticks "$app_pid")
  sleep "$seconds"
  after=$(cpu_ticks "$app_pid")
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
  awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}

silent=$(measure nosuch)
sound=$(measure disk)
echo "ZEK test, ${seconds} s: without sound ${silent} % CPU, with the output running ${sound} % CPU"
