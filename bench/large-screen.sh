#!/usr/bin/env bash
# The program on a large virtual display (3840 x 2160 unless W and H say
# otherwise), for one or more builds in the same run: the time from the
# start to the menu (the splash stays at least 5 s of it), the memory at the
# menu (resident and its peak) and the CPU during a ZEK test nobody touches.
# Each build is DIR or DIR:SCALE, SCALE the user-interface scale its menu is
# laid out at (a build from before the scale existed: 1); without it the
# program's rule for the screen.
#
# Usage: bench/large-screen.sh [seconds measured, default 20] DIR[:SCALE]...
# Needs Xvfb and xdotool; about (15 + 2 x seconds) s a build.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "large-screen: $*" >&2; exit 1; }
W=${W:-3840} H=${H:-2160}
seconds=${1:-20}
shift
[[ $# -gt 0 ]] || set -- "$here/build/normal"
. "$here/scripts/lib/display.sh"
open_session
start_display "$W" "$H"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
mib() { awk -v f="$1" '$1 == f { printf "%.1f", $2 / 1024 }' "/proc/$app_pid/status"; }

for spec in "$@"; do
  build=$(cd "${spec%%:*}" && pwd)
  scale=""
  [[ $spec == *:* ]] && scale=${spec##*:}
  local_k=${scale:-$(ui_scale "$W" "$H")}
  menu_places "$W" "$H" "$local_k"
  rm -rf "$work/program"
  cp -a "$build/program" "$work/program"
  rm -f "$work/program/velomar.INI" "$work/program/TESTS/"*.RLT "$work/program/TESTS/"*/*.RLT
  start=$(date +%s.%N)
  (cd "$work/program" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null exec ./velomar) >"$work/velomar.log" 2>&1 &
  app_pid=$!
  wait_for_menu $(( col + $(s 54) )) "$by"
  # wait_for_menu ends half a second after the menu showed.
  menu=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a - 0.5 }')
  rss=$(mib VmRSS:) hwm=$(mib VmHWM:)
  choose_test_titled ZEK-Test 05
  xdotool key Return
  sleep 6 # title and countdown
  xdotool mousemove $(( W - 60 )) $(( H - 60 ))
  before=$(cpu_ticks "$app_pid")
  sleep "$seconds"
  after=$(cpu_ticks "$app_pid")
  cpu=$(awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }')
  zek_hwm=$(mib VmHWM:)
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
  echo "${W}x${H} k=$local_k $build: start to menu ${menu} s, at the menu ${rss} MiB resident (peak ${hwm}), ZEK ${cpu} % CPU over ${seconds} s (peak ${zek_hwm} MiB)"
done
