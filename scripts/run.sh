#!/usr/bin/env bash
# Builds everything and starts the program. Until the host program exists
# this runs the results tool on the program folder's TESTS folder, which
# prints the history of every test found there.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B build/normal "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/normal -j "$(nproc)"
exec build/normal/program/kestrava-results build/normal/program/TESTS/ "$@"
