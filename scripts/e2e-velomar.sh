#!/usr/bin/env bash
# End-to-end run of the program on a real (virtual) X display: starts the
# built program from a fresh copy of its folder under Xvfb, picks the ZEK
# test in the menu, starts it with 00:01 in the time dialog, asks the abort
# question with Escape and answers "n", lets the minute run to the end
# screen, closes it, opens the evaluation and shows its four views, starts a
# second run and aborts it with Escape and "j", answers the exit question
# "n" and then "j", ends with the credits, and checks the result file (one
# record) and the preferences file (FF FF 01 00). Screenshots of the menu,
# the time dialog, both questions, the running test, the end screen, the
# evaluation and the credits stay in BUILD/e2e/ for looking at.
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
rm -f "$out/program/velomar.INI" "$out/program/TESTS/"*.RLT

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "e2e-velomar: $*" >&2; cat "$out/velomar.log" >&2 || true; exit 1; }

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
exec 3>&-
[[ -s $work/display ]] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
export DISPLAY=":$(cat "$work/display")"

shot() { import -window root "$out/$1.png"; }

(cd "$out/program" && exec ./velomar) >"$out/velomar.log" 2>&1 &
app_pid=$!
win=$(xdotool search --sync --name Kestrava | head -1)
xdotool windowfocus --sync "$win" || true
# The splash stays five seconds; the menu follows. The start button's
# place is black until the menu is up.
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -1 | grep -o '#[0-9A-Fa-f]\{6\}'; }
for _ in $(seq 300); do
  kill -0 "$app_pid" 2>/dev/null || fail "the program ended during its start"
  [[ $(pixel 249 583) != "#000000" ]] && break
  sleep 0.1
done
[[ $(pixel 249 583) != "#000000" ]] || fail "the menu did not come up"
sleep 0.5
shot menu

# On 1024 x 768 the first test line is at (245, 214), the start button at
# (249, 583) and the exit button at (529, 583).
xdotool mousemove 245 214 click 1
sleep 0.3
xdotool mousemove 249 583 click 1
sleep 1
xdotool type --delay 80 00
xdotool key Tab
xdotool type --delay 80 01
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
xdotool mousemove 245 214 click 1
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
xdotool mousemove 245 214 click 1
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

# One ZEK record: the header (part count and four names) and one record.
[[ -f $rlt ]] || fail "no result file"
size=$(stat -c %s "$rlt")
(( size == 4 + 4 * 256 + 24 + 4 * 8 )) || fail "the result file holds $size bytes, not one record"
prefs=$(od -An -tx1 "$out/program/velomar.INI" | tr -d ' \n')
[[ $prefs == ffff0100 ]] || fail "preferences file holds $prefs"
echo "e2e-velomar: ok (screenshots in $out)"
