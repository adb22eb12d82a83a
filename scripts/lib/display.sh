# Shared by the scripts that drive the program on a virtual X display.
# The caller defines fail(), calls open_session first and keeps the program
# it starts in $app_pid.

# open_session: a scratch folder in $work, and on exit the program and Xvfb
# ended and the folder removed.
open_session() {
  work=$(mktemp -d)
  xvfb_pid=""
  app_pid=""
  trap close_session EXIT
}
close_session() {
  [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}

# start_display WIDTH HEIGHT: a fresh Xvfb on a free display number (Xvfb
# writes the one it took to the descriptor), an earlier one ended first.
start_display() {
  if [[ -n ${xvfb_pid:-} ]]; then
    kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -f "$work/display"
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "$1x$2x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
  exec 3>&-
  [[ -s $work/display ]] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start at $1x$2"; }
  export DISPLAY=":$(cat "$work/display")"
}

# The colour of one screen pixel as #RRGGBB.
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -1 | grep -o '#[0-9A-Fa-f]\{6\}'; }

# wait_for_menu [X Y]: after the program was started as $app_pid, focuses
# its window and waits for the menu. The splash stays five seconds; the
# start button's place (249, 583 at 1024 x 768) is black until the menu is up.
wait_for_menu() {
  local x=${1:-249} y=${2:-583}
  win=$(xdotool search --sync --name Kestrava | head -1)
  xdotool windowfocus --sync "$win" || true
  for _ in $(seq 300); do
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended during its start"
    [[ $(pixel "$x" "$y") != "#000000" ]] && break
    sleep 0.1
  done
  [[ $(pixel "$x" "$y") != "#000000" ]] || fail "the menu did not come up"
  sleep 0.5
}

# ui_scale WIDTH HEIGHT: the program's user-interface scale on a screen of
# that size with no desktop scale (ui::ChooseUiScale): the largest of 1,
# 1.5 and 2 that leaves the design 1600 x 960 of its pixels.
ui_scale() {
  awk -v w="$1" -v h="$2" 'BEGIN { k = 1; if (w / 1.5 >= 1600 && h / 1.5 >= 960) k = 1.5;
    if (w / 2 >= 1600 && h / 2 >= 960) k = 2; print k }'
}

# s V: V of the design's pixels at the scale $k that menu_places set
# (rounded half away from zero, as the program does).
s() { awk -v v="$1" -v k="${k:-1}" 'BEGIN { x = v * k; printf "%d", x < 0 ? -int(-x + 0.5) : int(x + 0.5) }'; }

# menu_places WIDTH HEIGHT [SCALE]: where the menu lies on a screen of that
# size, as its layout computes it at the scale (the program's own for that
# screen unless given; kept in $k): the column's left in $col, its top in
# $oben and the buttons' middle row in $by (the start button's centre at
# col + $(s 54)).
menu_places() {
  k=${3:-$(ui_scale "$1" "$2")}
  local h455 h300
  h455=$(s 455) h300=$(s 300)
  local mitte=$(( $2 - h455 < h300 ? $2 - h455 : h300 ))
  col=$(( ($1 - $(s 635)) / 2 ))
  oben=$(( ($2 - $(s 55) - mitte - $(s 130)) / 2 ))
  by=$(( oben + $(s 55) + mitte + $(s 59) + $(s 28) ))
}

# The titles of the menu's test list in its (alphabetical) order, as the
# program folder's tests report them. A new test adds its title here; the
# scripts pick tests by title, never by line.
menu_titles=("Fluglage" "Mehrfachreaktion" "Raumvorstellung" "ZEK-Test")

# test_line TITLE: the title's line in the menu's test list (0 first).
test_line() {
  local i
  for i in "${!menu_titles[@]}"; do
    [[ ${menu_titles[i]} == "$1" ]] && { echo "$i"; return; }
  done
  fail "no test titled $1 in menu_titles"
}

# help_line TITLE: the test's line in the help index, below the two general
# pages.
help_line() { echo $(( 2 + $(test_line "$1") )); }

# choose_test_titled TITLE MINUTES: choose_test for the test of that title.
choose_test_titled() { choose_test "$(test_line "$1")" "$2"; }

# choose_test LINE MINUTES: after menu_places, selects test line LINE (0
# first), presses start and types 00:MINUTES into the time dialog, which
# stays open for the caller to look at or confirm.
choose_test() {
  xdotool mousemove $(( col + $(s 51) )) $(( oben + $(s $(( 55 + 18 + 16 * $1 ))) )) click 1
  sleep 0.3
  xdotool mousemove $(( col + $(s 54) )) "$by" click 1
  sleep 1
  xdotool type --delay 80 00
  xdotool key Tab
  xdotool type --delay 80 "$2"
}
