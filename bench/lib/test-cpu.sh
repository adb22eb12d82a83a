# Shared by the CPU benchmarks. The caller has sourced scripts/lib/display.sh,
# started a display of W x H, and set $build (the build folder), $work (a
# scratch folder) and $seconds.

# cpu_ticks PID: user + system time of the process so far, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# test_cpu LINE AUDIODRIVER: the program from a fresh copy of its folder, the
# test on menu line LINE (0 first) started for five minutes, and the percent
# of one core it uses over $seconds while nobody touches it.
test_cpu() {
  local line=$1 driver=$2
  # The menu's places on this screen, as the layout computes them.
  local col=$(( (W - 635) / 2 )) mitte=$(( H - 455 < 300 ? H - 455 : 300 ))
  local oben=$(( (H - 55 - mitte - 130) / 2 ))
  local by=$(( oben + 55 + mitte + 59 + 28 ))
  rm -rf "$work/program"
  cp -a "$build/program" "$work/program"
  rm -f "$work/program/velomar.INI" "$work/program/TESTS/"*.RLT "$work/program/TESTS/"*/*.RLT
  (cd "$work/program" && SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE=/dev/null exec ./velomar) >"$work/velomar.log" 2>&1 &
  app_pid=$!
  wait_for_menu $(( col + 54 )) "$by"
  xdotool mousemove $(( col + 51 )) $(( oben + 55 + 18 + 16 * line )) click 1
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
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}
