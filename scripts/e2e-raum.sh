#!/usr/bin/env bash
# End-to-end run of Raumvorstellung through the program on a virtual X
# display: from a fresh copy of the program folder with the figures fixed
# (SEED), opens the test's help page from the help index, starts the test
# from the menu by its title for one minute, answers every pair with the
# arrow keys, every fourth one wrongly, and checks its record on disk; shows
# the end screen and the evaluation with the test's details. Screenshots of
# the help page and its picture of the screen, the test, the end screen
# and the evaluation stay in
# BUILD/e2e-raum-WxH/ for looking at.
#
# Which pair is on show the script sees on the screen (the time bar runs);
# whether its answer is "gleich" or "gespiegelt" it cannot read off the
# picture, so it takes it from the module's own logic: raum-look --answers
# replays the seed's pairs as the module draws them.
#
#   scripts/e2e-raum.sh [build-dir] [WIDTHxHEIGHT]   (default: build/normal 1024x768)
# Needs: Xvfb, xdotool, ImageMagick (import). About 80 s.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/normal}" && pwd)
size=${2:-1024x768}
W=${size%x*} H=${size#*x}
program=$build/program
look=$build/modules/raum/raum-look
[[ -x $program/velomar && -x $look ]] || { echo "e2e-raum: $program/velomar or $look not built" >&2; exit 2; }
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "e2e-raum: $tool missing" >&2; exit 2; }
done
export LSAN_OPTIONS="suppressions=$here/tests/sdl/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

out=$build/e2e-raum-$size
rm -rf "$out"
mkdir -p "$out"
cp -a "$program" "$out/program"
rm -f "$out/program/velomar.INI" "$out/program/TESTS/"*.RLT "$out/program/TESTS/"*/*.RLT "$out/program/PROG.SAV"
ini=$out/program/TESTS/RAUM/RAUM.ini
printf '[GLOBAL]\r\nSEED=4711\r\n' >"$ini"
rlt=$out/program/TESTS/RAUM/RAUM.RLT

fail() { echo "e2e-raum: $*" >&2; cat "$out/velomar.log" >&2 || true; exit 1; }
. "$here/scripts/lib/display.sh"
open_session
start_display "$W" "$H"
shot() { import -window root "$out/$1.png"; }

(cd "$out/program" && exec ./velomar) >>"$out/velomar.log" 2>&1 &
app_pid=$!
menu_places "$W" "$H"
bgo=$(( col + 54 ))
wait_for_menu "$bgo" "$by"

# The help from the menu's help button: the index in the middle, the test's
# line in it.
xdotool mousemove $(( col + 110 )) "$by" click 1
sleep 1
hl=$(( (W - 400) / 2 )) ht=$(( (H - 400) / 2 ))
help_top=$(identify -format '%h' "$out/program/HELP.BMP")
xdotool mousemove $(( hl + 5 + 40 )) $(( ht + 37 + help_top + 30 + $(help_line "Raumvorstellung") * 23 + 11 )) click 1
sleep 1
shot help
# Its first link, "Der Bildschirm", scrolls to the labelled picture.
IFS=, read -r l t r b _ < "$out/program/TESTS/RAUM/HELP1.INI"
xdotool mousemove $(( hl + 5 + (l + r) / 2 )) $(( ht + 37 + (t + b) / 2 )) click 1
sleep 1
shot help-screen
xdotool key Escape
sleep 0.5

# The test area grows from 672 x 504 in steps of 4 x 3 until it first
# exceeds the room (as the program lays it out); it starts 50 pixels down,
# centred. A design unit is its width / 800.
aw=672
while (( aw * 3 / 4 <= H - 78 && aw <= W - 44 )); do aw=$(( aw + 4 )); done
ax=$(( (W - aw) / 2 ))
at() { echo $(( ax + $1 * aw / 800 )) $(( 50 + $2 * aw / 800 )); }
# The time bar's left end (design 252, 424) is blue while a pair waits.
read -r clock_x clock_y < <(at 253 424)
pair_shown() {
  local hex
  hex=$(pixel "$clock_x" "$clock_y")
  (( 16#${hex:5:2} > 150 && 16#${hex:1:2} < 110 ))
}

mapfile -t answers < <("$look" --answers "$ini" 400 4)
(( ${#answers[@]} == 400 )) || fail "raum-look gave ${#answers[@]} answers"

choose_test_titled "Raumvorstellung" 01
xdotool key Return
# The title for 2 s, the countdown of 3 s, the first pair 1 s later.
sleep 5
xdotool mousemove $(( W - 20 )) $(( H - 20 ))
pairs=0 wrong=0 test_shot=0
start=$SECONDS
while [[ ! -s $rlt ]] && (( SECONDS - start < 90 )); do
  if ! pair_shown; then
    sleep 0.05
    continue
  fi
  if (( test_shot == 0 && SECONDS - start >= 20 )); then
    sleep 0.3
    shot test
    test_shot=1
  fi
  answer=${answers[pairs]}
  pairs=$(( pairs + 1 ))
  if (( pairs % 4 == 0 )); then
    wrong=$(( wrong + 1 ))
    [[ $answer == gleich ]] && answer=gespiegelt || answer=gleich
  fi
  # A moment to look, as a candidate needs one.
  sleep 0.4
  [[ $answer == gleich ]] && xdotool key Left || xdotool key Right
  # The bar empties with the answer; the next pair comes 0.7 s later.
  for _ in $(seq 100); do pair_shown || break; sleep 0.05; done
done
(( test_shot == 1 )) || fail "no pair was seen after 20 s"
[[ -s $rlt ]] || fail "the test did not end"
# The end screen follows the record 50 ms later: the test area's black
# bottom corner (design 5, 595) turns into the menu's grey.
read -r corner_x corner_y < <(at 5 595)
for _ in $(seq 100); do [[ $(pixel "$corner_x" "$corner_y") != "#000000" ]] && break; sleep 0.1; done
[[ $(pixel "$corner_x" "$corner_y") != "#000000" ]] || fail "no end screen after the record"
sleep 0.5
shot end-screen

# One record of two parts: the header names them, the minute is its
# duration; the right answers are the script's share (a pair still on show
# at the end is not counted), the mean answer time a time below the limit.
rlt_size=$(stat -c %s "$rlt")
(( rlt_size == 4 + 2 * 256 + 24 + 2 * 8 )) || fail "RAUM.RLT holds $rlt_size bytes, not one record of two parts"
head -c 516 "$rlt" | grep -aq "Mittlere Antwortzeit" || fail "RAUM.RLT does not name its parts"
ms=$(od -An -tu4 -j $(( 516 + 24 )) -N4 "$rlt" | tr -d ' ')
(( ms == 60000 )) || fail "the record holds $ms ms, not 60000"
right=$(od -An -tf8 -j $(( 516 + 8 )) -N8 "$rlt" | tr -d ' ')
time=$(od -An -tf8 -j $(( 516 + 16 )) -N8 "$rlt" | tr -d ' ')
overall=$(od -An -tf8 -j $(( 516 + 32 )) -N8 "$rlt" | tr -d ' ')
awk -v r="$right" -v t="$time" -v n="$pairs" -v w="$wrong" 'BEGIN {
  a = 100 * (n - w) / n; b = (n > 1) ? 100 * (n - 1 - w) / (n - 1) : -1; c = (n > 1) ? 100 * (n - w) / (n - 1) : -1
  ok = (r - a < 1e-9 && a - r < 1e-9) || (r - b < 1e-9 && b - r < 1e-9) || (r - c < 1e-9 && c - r < 1e-9)
  exit !(ok && t < 0 && t > -10000) }' ||
  fail "the record holds right $right %, answer time $time ms; the script answered $pairs pairs, $wrong wrongly"
(( pairs >= 15 )) || fail "only $pairs pairs were answered"
echo "e2e-raum: ok at $size: $pairs pairs answered, $wrong wrongly; right $right %, mean answer time $time ms, overall $overall %"

# The end screen closed; the evaluation with the test selected, its general
# and its details view. The dialog stands in the middle; at 1024 x 768 its
# view buttons are at x 271, y 247 and 388, the evaluation button is the
# menu's fourth.
xdotool key Return
sleep 1
dx=$(( (W - 1024) / 2 )) dy=$(( (H - 768) / 2 ))
xdotool mousemove $(( col + 51 )) $(( oben + 55 + 18 + 16 * $(test_line "Raumvorstellung") )) click 1
sleep 0.3
xdotool mousemove $(( col + 223 )) "$by" click 1
sleep 1
shot evaluation
xdotool mousemove $(( 271 + dx )) $(( 388 + dy )) click 1
sleep 0.5
shot evaluation-details
xdotool key Escape
sleep 0.5

xdotool mousemove $(( col + 334 )) "$by" click 1
sleep 1
xdotool key j
sleep 1
xdotool mousemove $(( W / 2 )) 20 click 1
for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end"
wait "$app_pid" || fail "the program failed"
app_pid=""
echo "e2e-raum: screenshots in $out"
