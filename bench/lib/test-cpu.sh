# Shared by the CPU benchmarks, sourced with the benchmark's arguments
# ([build dir] [seconds measured, default 20]) after the caller has set
# $here, W and H and defined fail(): opens a virtual display of W x H.
build=$(cd "${1:-$here/build/normal}" && pwd)
seconds=${2:-20}
. "$here/scripts/lib/display.sh"
open_session
start_display "$W" "$H"

# cpu_ticks PID: user + system time of the process so far, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# test_cpu TITLE AUDIODRIVER: the program from a fresh copy of its folder, the
# test of that title started for five minutes, and the percent
# of one core it uses over $seconds while nobody touches it.
test_cpu() {
  local title=$1 driver=$2
  local col oben by k
  menu_places "$W" "$H" ${SCALE:-}
  rm -rf "$work/program"
  cp -a "$build/program" "$work/program"
  rm -f "$work/program/velomar.INI" "$work/program/TESTS/"*.RLT "$work/program/TESTS/"*/*.RLT
  (cd "$work/program" && SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE=/dev/null exec ./velomar) >"$work/velomar.log" 2>&1 &
  app_pid=$!
  wait_for_menu $(( col + $(s 54) )) "$by"
  choose_test_titled "$title" 05
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
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}
