#!/usr/bin/env bash
# CPU use of the program during a ZEK test, with the sound output running
# (SDL's disk driver writing to /dev/null at the real pace, the player
# un-paused and mixing silence) against the same test with no sound device
# at all. Target: under one percentage point more with sound.
#
# Usage: bench/sound-cpu.sh [build dir] [seconds measured, default 20]
# Needs Xvfb and xdotool; about 2 x (15 + seconds) s.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "sound-cpu: $*" >&2; exit 1; }
W=1024 H=768
. "$here/bench/lib/test-cpu.sh" "$@"

# ZEK is the second line of the menu.
silent=$(test_cpu ZEK-Test nosuch)
sound=$(test_cpu ZEK-Test disk)
echo "ZEK test, ${seconds} s: without sound ${silent} % CPU, with the output running ${sound} % CPU"
