#!/usr/bin/env bash
# CPU use of the program during a Mehrfachreaktion test against the same
# during a ZEK test, one after the other in the same run, on a 1920 x 1080
# virtual display (the test area 1440 x 1080). Neither test gets input: ZEK
# moves its targets and lights its lamps, Mehrfachreaktion brings its
# stimuli at its starting pace. Target: Mehrfachreaktion below ZEK.
#
# Usage: bench/module-cpu.sh [build dir] [seconds measured, default 20]
# Needs Xvfb and xdotool; about 2 x (15 + seconds) s.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "module-cpu: $*" >&2; exit 1; }
W=1920 H=1080
. "$here/bench/lib/test-cpu.sh" "$@"

mfr=$(test_cpu Mehrfachreaktion disk)
zek=$(test_cpu ZEK-Test disk)
echo "${W}x${H}, ${seconds} s each: Mehrfachreaktion ${mfr} % CPU, ZEK ${zek} % CPU"
