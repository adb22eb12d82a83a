#!/usr/bin/env bash
# A whole sitting without a single click, on a virtual X display at
# 1024 x 768 and at 1920 x 1080: from a fresh copy of the program folder,
# Down to ZEK-Test, Space, Enter, 00 Tab 01 Enter in the time dialog, the
# minute played, Enter on the end screen; ZEK chosen again with the keys,
# Tab to the evaluation button and Enter, its four views through Tab and
# Enter, Escape; the settings through Shift+Tab and Enter, the volume bar
# with Left, the clock with Space, Enter; the help with F10, its first link
# followed with Tab and Enter, Escape; the exit question with Escape and
# "j", the credits, and the program must end by itself with status 0, one
# new record in ZEK.RLT and the settings in velomar.INI. Screenshots of the
# focus on every screen stay in BUILD/e2e-keyboard-WxH/ (and in SHOTS_DIR
# when it is set).
#
#   scripts/e2e-keyboard.sh [build-dir]      (default: build/normal)
# Needs: Xvfb, xdotool, ImageMagick (import). About 4 min.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/normal}" && pwd)
program=$build/program
[[ -x $program/velomar ]] || { echo "e2e-keyboard: $program/velomar not built" >&2; exit 2; }
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "e2e-keyboard: $tool missing" >&2; exit 2; }
done
export LSAN_OPTIONS="suppressions=$here/tests/sdl/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

fail() { echo "e2e-keyboard: $*" >&2; cat "$out/velomar.log" >&2 || true; exit 1; }
. "$here/scripts/lib/display.sh"
open_session

# One key (or several in a row), then a pause for the program to answer.
keys() { xdotool key --delay 120 "$@"; sleep 0.6; }

sitting() {
  local W=$1 H=$2 tag=$1x$2
  out=$build/e2e-keyboard-$tag
  rm -rf "$out"
  mkdir -p "$out"
  cp -a "$program" "$out/program"
  rm -f "$out/program/velomar.INI" "$out/program/PROG.SAV" "$out/program/TESTS/"*.RLT "$out/program/TESTS/"*/*.RLT
  local rlt=$out/program/TESTS/ZEK.RLT
  shot() {
    import -window root "$out/$1.png"
    [[ -z ${SHOTS_DIR:-} ]] || cp "$out/$1.png" "$SHOTS_DIR/$tag-$1.png"
  }

  start_display "$W" "$H"
  menu_places "$W" "$H"
  (cd "$out/program" && exec ./velomar) >"$out/velomar.log" 2>&1 &
  app_pid=$!
  wait_for_menu $(( col + 54 )) "$by"
  # Never a click from here on: the pointer rests in a corner.
  xdotool mousemove "$W" "$H"

  # The menu: the focus line down to ZEK-Test, selected, started.
  local down
  down=$(test_line "ZEK-Test")
  for _ in $(seq "$down"); do keys Down; done
  keys space
  shot menu
  keys Return
  xdotool type --delay 120 00
  keys Tab
  xdotool type --delay 120 01
  sleep 0.3
  shot time-dialog
  keys Return
  # The title, the countdown, the minute; the module writes its record at
  # the end and the end screen follows.
  for _ in $(seq 900); do [[ -s $rlt ]] && break; sleep 0.1; done
  [[ -s $rlt ]] || fail "the test did not end ($tag)"
  sleep 1.5
  shot end-screen
  keys Return

  # The evaluation of ZEK: the menu's focus is back on its first line. The
  # learning curve needs two days, so a copy of the new record dated
  # 15 March 2023 joins the file while the dialog is open.
  cp "$rlt" "$work/zek.rlt"
  tail -c 48 "$rlt" >"$work/record-tail"
  { printf '\x00\x00\x00\x00\x10\xf9\xe5\x40'; cat "$work/record-tail"; } >>"$rlt"
  for _ in $(seq "$down"); do keys Down; done
  keys space
  # Tab: the program list, then the buttons start, help, settings,
  # evaluation (the resume button is off without a saved run).
  keys Tab Tab Tab Tab Tab
  shot menu-evaluation-button
  keys Return
  sleep 0.5
  shot evaluation-general
  local view
  for view in hours details learning-curve; do
    keys Tab Return
    sleep 0.3
    shot "evaluation-$view"
  done
  keys Escape
  cp "$work/zek.rlt" "$rlt"

  # The settings: from the evaluation button one back; the focus opens on
  # Ok, then JoyStick, Laut (Enter opens the volume bar), the bar, the clock.
  keys shift+Tab
  shot menu-settings-button
  keys Return
  shot settings
  keys Tab Tab Return Tab
  keys Left
  shot settings-volume
  keys Tab space
  shot settings-clock
  keys Return

  # The help: F10, Tab to its first link, Enter follows it.
  keys F10
  sleep 0.5
  shot help
  keys Tab
  shot help-link
  keys Return
  sleep 0.5
  shot help-page
  keys Escape

  # The exit: Escape asks, "j" plays the credits, the program ends itself.
  keys Escape
  shot exit-question
  keys j
  sleep 1
  shot credits
  for _ in $(seq 300); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after the credits ($tag)"
  local status=0
  wait "$app_pid" || status=$?
  app_pid=""
  (( status == 0 )) || fail "the program ended with status $status ($tag)"

  # One record: the header (part count and four names) and the minute.
  local size
  size=$(stat -c %s "$rlt")
  (( size == 4 + 4 * 256 + 24 + 4 * 8 )) || fail "ZEK.RLT holds $size bytes, not one record ($tag)"
  # Volume 65535 less a twentieth (3277) = 62258 = 0xF332, the clock off.
  local prefs
  prefs=$(od -An -tx1 "$out/program/velomar.INI" | tr -d ' \n')
  [[ $prefs == 32f30000 ]] || fail "velomar.INI holds $prefs, not the keys' volume and clock ($tag)"
  echo "e2e-keyboard: $tag ok (screenshots in $out)"
}

start=$SECONDS
sitting 1024 768
sitting 1920 1080
echo "e2e-keyboard: ok in $(( SECONDS - start )) s"
