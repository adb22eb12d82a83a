#!/usr/bin/env bash
# The real sound device in CI: a 1000 Hz tone played through the host's
# sound table, the mixer and SDL's audio device, with SDL's disk driver
# writing the device's output to a file; the tone must be found in that
# file at its frequency and at the level the user volume gives it. About
# two seconds.
set -euo pipefail
build=${1:-build/normal}
tool="$build/tests/sdl/disk_sound_check"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw" "$tool" play "$work"
"$tool" analyse "$work/out.raw"
