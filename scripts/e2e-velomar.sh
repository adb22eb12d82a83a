#!/usr/bin/env bash
# End-to-end run of the program on a real (virtual) X display: starts the
# built program from a fresh copy of its folder under Xvfb, picks the ZEK
# test in the menu by its title, starts it
# with 00:01 in the time dialog, asks the abort question with Escape and answers "n", lets the minute run to the end
# screen, closes it, opens the evaluation and shows its four views, starts a
# second run and aborts it with Escape and "j", saves a two-minute run after
# 30 s through the test bar, aborts it, ends the program, starts it again and
# resumes the run with the load button to its end, answers the exit question
# "n" and then "j", ends with the credits, and checks the result file (two
# records, the second of 120 s) and the preferences file (FF FF 01 00). A
# second start in the same folder, made while the menu shows, must show its
# message box and end. Then a minute of Mehrfachreaktion with the lamps
# answered as the script sees them light, its help page, its screen and its
# end screen, and its record checked. Screenshots of the menu, the second
# start's message, the time dialog, both questions, the running test, the end screen, the
# evaluation, the saved and the resumed run and the credits stay in
# BUILD/e2e/ for looking at.
#
#   scripts/e2e-velomar.sh [build-dir]      (default: build/normal)
# Needs: Xvfb, xdotool, ImageMagick (import).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/normal}" && pwd)
program=$build/program
[[ -x $program/velomar ]] || { echo "e2e-velomar: $program/velomar not built" >&2; exit 2; }
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "e2e-velomar: $tool missing" >&2; exit 2; }
done
export LSAN_OPTIONS="suppressions=$here/tests/sdl/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

out=$build/e2e
rm -rf "$out"
mkdir -p "$out"
# A fresh program folder: no results, no preferences yet.
cp -a "$program" "$out/program"
rm -f "$out/program/velomar.INI" "$out/program/TESTS/"*.RLT "$out/program/TESTS/"*/*.RLT

fail() { echo "e2e-velomar: $*" >&2; cat "$out/velomar.log" >&2 || true; exit 1; }
. "$here/scripts/lib/display.sh"
open_session

start_display 1024 768

shot() { import -window root "$out/$1.png"; }

# Starts the program (its output appended to velomar.log) and waits for the
# menu.
start_program() {
  (cd "$out/program" && exec ./velomar) >>"$out/velomar.log" 2>&1 &
  app_pid=$!
  wait_for_menu
}
start_program
shot menu

# A second start in the same folder shows its message box, before any
# window of its own, and ends with status 1 once it is closed; the first
# program goes on. Where SDL can show no message box (an X server without
# core fonts, as Xvfb often is) it logs the text, and the start ends at once.
(cd "$out/program" && exec ./velomar) >"$out/second.log" 2>&1 &
second_pid=$!
boxes=0
for _ in $(seq 100); do
  kill -0 "$second_pid" 2>/dev/null || break
  box=$(xdotool search --name '^Der Kestrava$' 2>/dev/null | head -1 || true)
  if [[ -n $box ]]; then
    boxes=$((boxes + 1))
    sleep 0.3
    shot second-start
    xdotool windowfocus --sync "$box" key Return || true
  fi
  sleep 0.1
done
if kill -0 "$second_pid" 2>/dev/null; then
  kill "$second_pid"
  fail "the second start did not end"
fi
second_status=0
wait "$second_pid" || second_status=$?
[[ $second_status == 1 ]] || fail "the second start ended with status $second_status, not 1"
if ((boxes == 0)); then
  grep -q "läuft bereits aus diesem Ordner" "$out/second.log" || fail "the second start said nothing: $(cat "$out/second.log")"
fi
kill -0 "$app_pid" 2>/dev/null || fail "the first program ended with the second start"
xdotool windowfocus --sync "$win" || true
sleep 0.3

# On 1024 x 768 the first test line is at (245, 214) and each further one
# 16 pixels below, in the order of menu_titles. The start button is at
# (249, 583) and the exit button at (529, 583).
menu_places 1024 768
zek_line=$(( 214 + 16 * $(test_line "ZEK-Test") ))
choose_test_titled "ZEK-Test" 01
sleep 0.3
shot time-dialog
xdotool key Return
# The title for 2 s, the countdown for 2 s, then the test's minute.
sleep 4
xdotool mousemove 900 700
sleep 8
# Escape asks whether to abort; "n" goes on where the test stood.
xdotool key Escape
sleep 1
shot abort-question
xdotool key n
sleep 22
shot test
# The module writes its record at the end of the minute; the end screen
# follows 50 ms later. Wait for the file rather than for a fixed time, so a
# slow machine does not race the script.
rlt=$out/program/TESTS/ZEK.RLT
for _ in $(seq 600); do [[ -s $rlt ]] && break; sleep 0.1; done
[[ -s $rlt ]] || fail "the test did not end"
sleep 1
shot end-screen
xdotool key Return
sleep 1
shot menu-after

# The evaluation, with ZEK selected for its details. The learning curve
# needs two days, so a copy of the new record dated 15 March 2023 joins the
# file while the dialog is open; the file is put back as the run left it
# afterwards. The dialog stands in the middle, its view buttons at x 271,
# y 247, 318, 388 and 459; the evaluation button is the menu's fourth.
cp "$rlt" "$work/zek.rlt"
tail -c 48 "$rlt" >"$work/record-tail"
{ printf '\x00\x00\x00\x00\x10\xf9\xe5\x40'; cat "$work/record-tail"; } >>"$rlt"
xdotool mousemove 245 $zek_line click 1
sleep 0.3
xdotool mousemove 417 583 click 1
sleep 1
shot evaluation-general
for view in 318:hours 388:details 459:learning-curve; do
  xdotool mousemove 271 "${view%%:*}" click 1
  sleep 0.5
  shot "evaluation-${view#*:}"
done
xdotool key Escape
sleep 0.5
shot menu-after-evaluation
cp "$work/zek.rlt" "$rlt"

menu_pixel=$(pixel 20 400)

# A second run, aborted with Escape and "j": back to the menu, and no
# record for it.
xdotool mousemove 245 $zek_line click 1
sleep 0.3
xdotool mousemove 249 583 click 1
sleep 1
xdotool key Return
sleep 6
[[ $(pixel 20 400) != "$menu_pixel" ]] || fail "the second run did not start"
xdotool key Escape
sleep 1
xdotool key j
sleep 1
[[ $(pixel 20 400) == "$menu_pixel" ]] || fail "Escape and j did not return to the menu"

# A two-minute ZEK run saved after about 30 s through the test bar's disk
# button, aborted with Escape and "j", the program ended through the
# credits and started again; the menu's load button brings the run back,
# paused, and after Pause it plays to the end screen. The new record must
# hold the whole 120 s. The load button is the menu's fifth, at (473, 583);
# the disk button shows in the bar at (312, 25).
records_before=$(stat -c %s "$rlt")
choose_test_titled "ZEK-Test" 02
xdotool key Return
sleep 4
xdotool mousemove 900 700
sleep 30
xdotool mousemove 300 20
sleep 0.5
xdotool mousemove 312 25 click 1
sleep 0.3
shot saved
[[ -s $out/program/PROG.SAV ]] || fail "the disk button saved nothing"
sav_size=$(stat -c %s "$out/program/PROG.SAV")
(( sav_size == 4 + 40 + 8 + 256 + 4 + 688 + 8 )) || fail "PROG.SAV holds $sav_size bytes"
xdotool key Escape
sleep 1
xdotool key j
sleep 1
[[ $(pixel 20 400) == "$menu_pixel" ]] || fail "the saved run was not aborted"
xdotool mousemove 529 583 click 1
sleep 1
xdotool key j
for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end before the resume"
wait "$app_pid" || fail "the program failed before the resume"
(( $(stat -c %s "$rlt") == records_before )) || fail "the aborted run wrote a record"

start_program
shot menu-with-saved-run
xdotool mousemove 473 583 click 1
sleep 1
xdotool mousemove 300 20
sleep 0.5
shot resumed-paused
[[ $(pixel 20 400) != "$menu_pixel" ]] || fail "the load button did not resume the run"
xdotool mousemove 900 700
sleep 0.3
xdotool key Pause
sleep 5
shot resumed-running
for _ in $(seq 1200); do (( $(stat -c %s "$rlt") > records_before )) && break; sleep 0.1; done
(( $(stat -c %s "$rlt") == records_before + 56 )) || fail "the resumed run did not add one record"
sleep 1
shot end-screen-resumed
duration=$(od -An -tu4 -j $(( records_before + 40 )) -N4 "$rlt" | tr -d ' ')
(( duration == 120000 )) || fail "the resumed run's record holds $duration ms, not 120000"
xdotool key Return
sleep 1
[[ -s $out/program/PROG.SAV ]] || fail "loading removed PROG.SAV"

# The exit question: "n" stays, "j" plays the credits.
xdotool mousemove 529 583 click 1
sleep 1
shot exit-question
xdotool key n
sleep 0.5
xdotool mousemove 529 583 click 1
sleep 0.5
xdotool key j
sleep 2
shot credits
for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after the credits"
wait "$app_pid" || fail "the program failed"
app_pid=""

# Two ZEK records: the header (part count and four names), the minute and
# the resumed two minutes.
[[ -f $rlt ]] || fail "no result file"
size=$(stat -c %s "$rlt")
(( size == 4 + 4 * 256 + 2 * (24 + 4 * 8) )) || fail "the result file holds $size bytes, not two records"
prefs=$(od -An -tx1 "$out/program/velomar.INI" | tr -d ' \n')
[[ $prefs == ffff0100 ]] || fail "preferences file holds $prefs"
echo "e2e-velomar: ok (screenshots in $out)"

# ---------------------------------------------------------------------------
# A minute of Mehrfachreaktion at 1024 x 768 with its stimuli in a fixed
# order (SEED). The test area is 924 pixels wide here (scale 1.155) and
# starts 50 pixels in, so the lamps' lenses are centred on y = 274 at
# x = 251, 424, 598 and 771. The script
# answers a lamp with its F key as soon as it sees it lit; the tones it
# cannot hear, so they go by as misses. Its help page (its line of the
# index), its screen with a lamp lit and its end screen are kept,
# and its record is checked.
mfr_rlt=$out/program/TESTS/MFR/MFR.RLT
printf '[GLOBAL]\r\nSEED=4711\r\n' >"$out/program/TESTS/MFR/MFR.ini"
start_program
help_top=$(identify -format '%h' "$out/program/HELP.BMP")
xdotool mousemove 304 583 click 1
sleep 1
xdotool mousemove $(( 312 + 5 + 40 )) $(( 184 + 37 + help_top + 30 + $(help_line "Mehrfachreaktion") * 23 + 11 )) click 1
sleep 1
shot mfr-help
xdotool key Escape
sleep 0.5
choose_test_titled "Mehrfachreaktion" 01
xdotool key Return
# The title for 2 s, the module's countdown of 3 s.
sleep 4.5
xdotool mousemove 900 700
lens_x=(251 424 598 771)
# The number (1-4) of the lamp that is lit, nothing when none is.
lit_lamp() {
  local row i hex
  row=$(import -window root -crop 1024x1+0+274 -depth 8 txt:-)
  for i in 0 1 2 3; do
    hex=$(grep -m1 "^${lens_x[i]},0:" <<<"$row" | grep -o '#[0-9A-Fa-f]\{6\}' || true)
    [[ -n $hex ]] || continue
    if (( 16#${hex:1:2} + 16#${hex:3:2} + 16#${hex:5:2} > 300 )); then
      echo $(( i + 1 ))
      return
    fi
  done
}
answered=0
mfr_shot=0
mfr_start=$SECONDS
while [[ ! -s $mfr_rlt ]] && (( SECONDS - mfr_start < 90 )); do
  lamp=$(lit_lamp)
  if [[ -n $lamp ]]; then
    # The screen with a lamp lit, once, from 20 s on.
    if (( mfr_shot == 0 && SECONDS - mfr_start >= 20 )); then
      shot mfr-test
      mfr_shot=1
    fi
    xdotool key "F$lamp"
    answered=$(( answered + 1 ))
    # The lamp goes dark with the key; look again once it has.
    sleep 0.2
  fi
done
(( mfr_shot == 1 )) || fail "no lamp was seen lit after 20 s"
[[ -s $mfr_rlt ]] || fail "Mehrfachreaktion did not end"
sleep 1
shot mfr-end-screen
# One record of the module's four parts: the header names them, the minute
# is its duration, some lamps were right, the mean reaction time is a time
# (negative) of less than the longest window of 3 s.
mfr_size=$(stat -c %s "$mfr_rlt")
(( mfr_size == 4 + 4 * 256 + 24 + 4 * 8 )) || fail "MFR.RLT holds $mfr_size bytes, not one record"
head -c 1028 "$mfr_rlt" | grep -aq "Mittlere Reaktionszeit" || fail "MFR.RLT does not name its parts"
mfr_ms=$(od -An -tu4 -j $(( 1028 + 40 )) -N4 "$mfr_rlt" | tr -d ' ')
(( mfr_ms == 60000 )) || fail "the Mehrfachreaktion record holds $mfr_ms ms, not 60000"
mfr_right=$(od -An -tf8 -j $(( 1028 + 8 )) -N8 "$mfr_rlt" | tr -d ' ')
mfr_time=$(od -An -tf8 -j $(( 1028 + 32 )) -N8 "$mfr_rlt" | tr -d ' ')
mfr_all=$(od -An -tf8 -j $(( 1028 + 48 )) -N8 "$mfr_rlt" | tr -d ' ')
awk -v r="$mfr_right" -v t="$mfr_time" 'BEGIN { exit !(r > 0 && r <= 100 && t < 0 && t > -3000) }' ||
  fail "the Mehrfachreaktion record holds right $mfr_right %, reaction time $mfr_time"
(( answered >= 5 )) || fail "only $answered lamps were seen lit"
echo "e2e-velomar: Mehrfachreaktion ok: $answered lamps answered; right $mfr_right %, mean reaction $mfr_time ms, overall $mfr_all %"
xdotool key Return
sleep 1
xdotool mousemove 529 583 click 1
sleep 1
xdotool key j
for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after Mehrfachreaktion"
wait "$app_pid" || fail "the program failed after Mehrfachreaktion"
app_pid=""

# ---------------------------------------------------------------------------
# Settings, help and the reset of the results, at 1024 x 768 and 1920 x 1080:
# the clock switched off and the volume bar clicked at x = 60 in the settings;
# the help from the menu, into the ZEK pages and scrolled; F10 over the
# running test; the test aborted; the results reset with "J"; the exit. Then
# ZEK.RLT is gone and velomar.INI holds volume 34217 and the clock off.
cp "$rlt" "$work/ZEK.RLT"
click() { xdotool mousemove "$1" "$2"; sleep 0.15; xdotool click 1; sleep "${3:-0.4}"; }
# The mean brightness of a screen rectangle (w h x y), 0 for black.
brightness() { import -window root -crop "$1x$2+$3+$4" -colorspace gray -format '%[fx:mean]' info:; }

tour() {
  local W=$1 H=$2 tag=$1x$2
  start_display "$W" "$H"
  cp "$work/ZEK.RLT" "$rlt"
  rm -f "$out/program/velomar.INI"
  # The menu column and its buttons (centres), the settings window on the
  # settings button, the help window in the middle.
  local col oben by
  menu_places "$W" "$H"
  local bgo=$(( col + 54 )) bhelp=$(( col + 110 )) bset=$(( col + 166 )) bexit=$(( col + 334 ))
  local sl=$(( col + 166 )) st=$(( by - 340 ))
  local hl=$(( (W - 400) / 2 )) ht=$(( (H - 400) / 2 ))

  (cd "$out/program" && exec ./velomar) >"$out/velomar-$tag.log" 2>&1 &
  app_pid=$!
  wait_for_menu "$bgo" "$by"

  # Settings: clock off, the pop-up, a click on its bar at x = 60.
  click "$bset" "$by" 0.8
  click $(( sl + 44 )) $(( st + 200 ))
  click $(( sl + 44 )) $(( st + 138 ))
  click $(( sl + 84 + 60 )) $(( st + 155 + 12 ))
  shot "settings-$tag"
  xdotool key Escape
  sleep 0.5

  # The help from the menu: the index, the ZEK line, a drag of the thumb.
  click "$bhelp" "$by" 1
  shot "help-index-$tag"
  local top
  top=$(identify -format '%h' "$out/program/HELP.BMP")
  click $(( hl + 5 + 40 )) $(( ht + 37 + top + 30 + $(help_line "ZEK-Test") * 23 + 11 )) 1
  shot "help-zek-$tag"
  xdotool mousemove $(( hl + 386 )) $(( ht + 50 )) mousedown 1
  sleep 0.2
  xdotool mousemove $(( hl + 386 )) $(( ht + 200 ))
  sleep 0.2
  xdotool mouseup 1
  sleep 0.5
  shot "help-zek-scrolled-$tag"
  xdotool key Escape
  sleep 0.5

  # The ZEK test for a minute; F10 while it runs shows its help over it.
  choose_test_titled "ZEK-Test" 01
  xdotool key Return
  sleep 5
  xdotool mousemove $(( W - 60 )) $(( H - 60 ))
  sleep 1
  [[ $(brightness 97 34 $(( W - 105 )) 8) == 0 ]] || fail "the clock shows although it was switched off ($tag)"
  xdotool key F10
  sleep 1.5
  shot "help-test-$tag"
  xdotool key Escape
  sleep 0.5
  # Abort through the test bar's first button: the bar shows at the top.
  xdotool mousemove 300 20
  sleep 0.3
  click 28 25 0.5
  xdotool key j
  sleep 1

  # Reset: the question, "J", the results gone.
  [[ -s $rlt ]] || fail "no result file before the reset ($tag)"
  click "$bset" "$by" 0.8
  click $(( sl + 44 )) $(( st + 264 )) 0.8
  shot "reset-question-$tag"
  xdotool key j
  sleep 1
  [[ -e $rlt ]] && fail "ZEK.RLT survived the reset ($tag)"
  click $(( sl + 120 )) $(( st + 309 ))
  shot "menu-reset-$tag"

  click "$bexit" "$by" 0.5
  xdotool key j
  sleep 1
  xdotool mousemove $(( W / 2 )) 20 click 1
  for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end ($tag)"
  wait "$app_pid" || fail "the program failed ($tag)"
  app_pid=""
  prefs=$(od -An -tx1 "$out/program/velomar.INI" | tr -d ' \n')
  # Volume round(59 x 65535 / 113) = 34217 = 0x85A9, clock 0.
  [[ $prefs == a9850000 ]] || fail "preferences file holds $prefs after the tour ($tag)"
}
tour 1024 768
tour 1920 1080
echo "e2e-velomar: settings, help and reset ok at 1024x768 and 1920x1080"
