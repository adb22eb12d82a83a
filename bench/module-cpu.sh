#!/usr/bin/env bash
# CPU use of the program during a Mehrfachreaktion test against the same
# during a ZEK test, one after the other in the same run, on a 1920 x 1080
# virtual display (the test area 1440 x 1080). Neither test gets input: ZEK
# moves its targets and lights its lamps, Mehrfachreaktion brings its
# stimuli at its starting pace. Target: Mehrfachreaktion below ZEK.
#
# Usage: bench/module-cpu.sh [build dir] [seconds measured, default 20]
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

W=1920 H=1080
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "${W}x${H}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
exec 3>&-
export DISPLAY=":$(cat "$work/display")"
hz=$(getconf CLK_TCK)

# The menu's places on this screen (as the layout computes them): the first
# test line, each further one 16 pixels below; the start button.
col=$(( (W - 635) / 2 ))
mitte=$(( H - 455 < 300 ? H - 455 : 300 ))
oben=$(( (H - 55 - mitte - 130) / 2 ))
by=$(( oben + 55 + mitte + 59 + 28 ))

# cpu_ticks PID: user + system time of the process so far, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

measure() { # line of the test in the menu (0: Mehrfachreaktion, 1: ZEK)
  rm -rf "$work/program"
  cp -a "$build/program" "$work/program"
  rm -f "$work/program/velomar.INI" "$work/program/TESTS/"*.RLT "$work/program/TESTS/MFR/"*.RLT
  (cd "$work/program" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null exec ./velomar) >"$work/velomar.log" 2>&1 &
  app_pid=$!
  win=$(xdotool search --sync --name Kestrava | head -1)
  xdotool windowfocus --sync "$win" || true
  sleep 7 # the splash
  xdotool mousemove $(( col + 51 )) $(( oben + 55 + 9 + 9 + 16 * $1 )) click 1
  sleep 0.3
  xdotool mousemove $(( col + 54 )) "$by" click 1
  sleep 1
  xdotool type --delay 80 00
  xdotool key Tab
  xdotool type --delay 80 05
  xdotool key Return
  sleep 6 # title and countdown
  xdotool mousemove $(( W - 60 )) $(( H - 60 ))
  local before after
  before=$(cpu_ticks "$app_pid")
  sleep "$seconds"
  after=$(cpu_ticks "$app_pid")
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
  awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}

mfr=$(measure 0)
zek=$(measure 1)
echo "${W}x${H}, ${seconds} s each: Mehrfachreaktion ${mfr} % CPU, ZEK ${zek} % CPU"
