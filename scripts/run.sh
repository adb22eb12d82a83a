#!/usr/bin/env bash
# Builds everything and starts the program full-screen on the user's
# display, from its own folder (it reads and writes only beside itself).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B build/normal "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/normal -j "$(nproc)"
cd build/normal/program
exec ./velomar
