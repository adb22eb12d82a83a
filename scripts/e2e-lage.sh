#!/usr/bin/env bash
# A minute of Fluglage through the program on a virtual X display: its help
# page from the menu's help, the test chosen by its title and played to its
# end screen, its record checked, the evaluation's details of it, and the
# run saved half-way through the test bar and loaded again.
#
# The script sees on the screen when an item is on show (the pictures' sky)
# and when it is gone; which picture is right it cannot see, so it takes the
# answers from the module's own items for the seed it sets (lage-look
# --answers), and checks them against the state block the saved run holds.
# It answers every fifth item wrong on purpose, so the record's share of
# right answers is checked against what the script did.
#
#   scripts/e2e-lage.sh [build-dir [WIDTHxHEIGHT]]   (default: build/normal, 1024x768)
# Needs: Xvfb, xdotool, ImageMagick. Screenshots stay in BUILD/e2e-lage-WxH/.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/normal}" && pwd)
size=${2:-1024x768}
W=${size%x*} H=${size#*x}
program=$build/program
look=$build/modules/lage/lage-look
[[ -x $program/velomar && -x $look ]] || { echo "e2e-lage: velomar or lage-look not built in $build" >&2; exit 2; }
for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "e2e-lage: $tool missing" >&2; exit 2; }
done
export LSAN_OPTIONS="suppressions=$here/tests/sdl/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

out=$build/e2e-lage-$size
rm -rf "$out"
mkdir -p "$out"
cp -a "$program" "$out/program"
rm -f "$out/program/velomar.INI" "$out/program/PROG.SAV" "$out/program/TESTS/"*.RLT "$out/program/TESTS/"*/*.RLT
seed=4711
printf '[GLOBAL]\r\nSEED=%s\r\n' "$seed" >"$out/program/TESTS/LAGE/LAGE.ini"
mapfile -t answers < <("$look" --answers "$seed" 400)
rlt=$out/program/TESTS/LAGE/LAGE.RLT

fail() { echo "e2e-lage: $*" >&2; cat "$out/velomar.log" >&2 || true; exit 1; }
. "$here/scripts/lib/display.sh"
open_session
start_display "$W" "$H"
shot() { import -window root "$out/lage-$1-$size.png"; }
menu_places "$W" "$H"
bgo=$(( col + 54 )) bhelp=$(( col + 110 )) beval=$(( col + 223 )) bload=$(( col + 279 )) bexit=$(( col + 334 ))
# Dialogs stand in the middle: their places at 1024 x 768 moved by this.
dx=$(( (W - 1024) / 2 )) dy=$(( (H - 768) / 2 ))

(cd "$out/program" && exec ./velomar) >>"$out/velomar.log" 2>&1 &
app_pid=$!
wait_for_menu "$bgo" "$by"

# The help: the index lists "Allgemeine Bedienung", a blank line, then the
# tests in the menu's order, 23 pixels apart.
xdotool mousemove "$bhelp" "$by" click 1
sleep 1
help_top=$(identify -format '%h' "$out/program/HELP.BMP")
xdotool mousemove $(( (W - 400) / 2 + 45 )) $(( (H - 400) / 2 + 37 + help_top + 30 + $(help_line "Fluglage") * 23 + 11 )) click 1
sleep 1
shot help
# A page down: the picture of the screen with its labels.
xdotool key Next
sleep 0.5
shot help-figure
xdotool key Escape
sleep 0.5

# Whether the pictures' sky shows at a pixel: an item is on show.
is_sky() {
  local hex
  hex=$(pixel "$1" "$2")
  (( 16#${hex:5:2} > 200 && 16#${hex:3:2} > 170 && 16#${hex:1:2} > 110 && 16#${hex:1:2} < 190 ))
}

choose_test_titled "Fluglage" 01
xdotool key Return
xdotool mousemove $(( W - 20 )) $(( H - 20 ))
# The title for 2 s and the countdown of 3 s; then find the pictures' sky
# on the whole screen once, and watch one pixel of it from then on.
sky_x="" sky_y=""
for _ in $(seq 60); do
  geometry=$(import -window root -depth 8 png:- |
    convert - -fuzz 4% -fill black +opaque '#96C4EC' -trim -format '%X %Y %w' info: 2>/dev/null || true)
  read -r gx gy gw <<<"${geometry//+/}"
  if [[ -n ${gw:-} ]] && (( gw > 100 )); then
    sky_x=$(( gx + 6 )) sky_y=$(( gy + 4 ))
    break
  fi
  sleep 0.25
done
[[ -n $sky_x ]] || fail "no item came on show"
start=$SECONDS
item=0 right=0 wrong=0 saved=0
while [[ ! -s $rlt ]] && (( SECONDS - start < 75 )); do
  is_sky "$sky_x" "$sky_y" || { sleep 0.05; continue; }
  key=${answers[item]}
  if (( item % 5 == 4 )); then
    key=$(( key % 4 + 1 ))
    wrong=$(( wrong + 1 ))
  else
    right=$(( right + 1 ))
  fi
  (( item == 6 )) && shot test
  xdotool key "$key"
  item=$(( item + 1 ))
  # The item goes with the key; the next comes half a second later.
  for _ in $(seq 40); do is_sky "$sky_x" "$sky_y" || break; sleep 0.05; done
  # Half-way, in the gap: the run saved through the test bar's disk
  # button; the test goes on.
  if (( saved == 0 && SECONDS - start >= 28 )); then
    xdotool mousemove 300 20
    sleep 0.4
    xdotool mousemove 312 25 click 1
    sleep 0.2
    xdotool mousemove $(( W - 20 )) $(( H - 20 ))
    saved=$item
  fi
done
[[ -s $rlt ]] || fail "the test did not end"
sleep 1
shot end-screen

# The saved run holds the module's state block after the header (312
# bytes) and before the last 8: its answer is the script's for that item.
sav=$out/program/PROG.SAV
(( saved > 0 )) || fail "the run was not saved"
[[ -s $sav ]] || fail "the disk button saved nothing"
(( $(stat -c %s "$sav") == 312 + 112 + 8 )) || fail "PROG.SAV holds $(stat -c %s "$sav") bytes"
field() { od -An -t"$2" -j $(( 312 + $1 )) -N4 "$sav" | tr -d ' '; }
done_items=$(( $(field 92 d4) + $(field 96 d4) + $(field 100 d4) ))
(( done_items >= saved - 1 && done_items <= saved )) || fail "the saved block counts $done_items items, the script $saved"
shown=$(( done_items - 1 ))
[[ $(field 80 d4) == 1 ]] && shown=$done_items
(( $(field 76 d4) + 1 == ${answers[shown]} )) || fail "the saved item's answer is $(( $(field 76 d4) + 1 )), lage-look says ${answers[shown]}"

# One record of two parts: right answers and the mean answer time.
size_rlt=$(stat -c %s "$rlt")
(( size_rlt == 4 + 2 * 256 + 24 + 2 * 8 )) || fail "LAGE.RLT holds $size_rlt bytes, not one record"
head -c 516 "$rlt" | grep -aq "Mittlere Antwortzeit" || fail "LAGE.RLT does not name its parts"
ms=$(od -An -tu4 -j $(( 516 + 24 )) -N4 "$rlt" | tr -d ' ')
(( ms == 60000 )) || fail "the record holds $ms ms, not 60000"
correct=$(od -An -tf8 -j $(( 516 + 8 )) -N8 "$rlt" | tr -d ' ')
time=$(od -An -tf8 -j $(( 516 + 16 )) -N8 "$rlt" | tr -d ' ')
# The last key may come after the end: the record then counts one less.
awk -v c="$correct" -v t="$time" -v r="$right" -v w="$wrong" -v k=$(( item % 5 == 0 ? 1 : 0 )) 'BEGIN {
  a = 100 * r / (r + w); b = k ? 100 * r / (r + w - 1) : 100 * (r - 1) / (r + w - 1)
  exit !((c - a < 1e-9 && a - c < 1e-9 || c - b < 1e-9 && b - c < 1e-9) && t < 0 && t > -10000) }' ||
  fail "the record holds $correct % right and $time ms; the script answered $right right, $wrong wrong"
(( item >= 15 )) || fail "only $item items were answered"
echo "e2e-lage: $item items answered ($wrong wrong on purpose); record $correct % right, mean $time ms"

# The end screen closed; the evaluation's details of the test selected.
xdotool key Return
sleep 1
xdotool mousemove $(( col + 51 )) $(( oben + 55 + 18 + 16 * $(test_line "Fluglage") )) click 1
sleep 0.3
xdotool mousemove "$beval" "$by" click 1
sleep 1
xdotool mousemove $(( 271 + dx )) $(( 388 + dy )) click 1
sleep 0.7
shot evaluation-details
xdotool key Escape
sleep 0.5

# The saved run loaded: paused on the saved item; aborted.
xdotool mousemove "$bload" "$by" click 1
sleep 1.5
shot resumed
is_sky "$sky_x" "$sky_y" || (( $(field 80 d4) == 0 )) || fail "the resumed run shows no item"
xdotool key Escape
sleep 1
xdotool key j
sleep 1

xdotool mousemove "$bexit" "$by" click 1
sleep 0.5
xdotool key j
sleep 1
xdotool mousemove $(( W / 2 )) 20 click 1
for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end"
wait "$app_pid" || fail "the program failed"
app_pid=""
(( $(stat -c %s "$rlt") == size_rlt )) || fail "the aborted resumed run wrote a record"
echo "e2e-lage: ok at $size (screenshots in $out)"
