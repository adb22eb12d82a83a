#!/usr/bin/env bash
# Builds and runs every test: the normal suite, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the threaded parts
# under ThreadSanitizer. Each build has its own folder under build/.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

jobs=$(nproc)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

# run_suite DIR [TARGET...] -- [CMAKE OPTION...]
run_suite() {
  local dir=$1; shift
  local targets=()
  while [[ $1 != -- ]]; do targets+=(--target "$1"); shift; done
  shift
  echo "=== $dir: configure, build, test"
  cmake -S . -B "build/$dir" "${generator[@]}" "$@" >/dev/null
  cmake --build "build/$dir" -j "$jobs" "${targets[@]}"
}

run_suite normal -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRAVA_WERROR=ON
ctest --test-dir build/normal --output-on-failure -j "$jobs"
# The real window: keys typed into the demo program under Xvfb (about 2 s),
# and a whole ZEK minute through the program (about 90 s; screenshots stay
# in build/normal/e2e/).
./scripts/e2e-demo.sh build/normal
./scripts/e2e-velomar.sh build/normal
# A minute of Fluglage with its help, end screen and evaluation, saved
# half-way (about 90 s; screenshots in build/normal/e2e-lage-1024x768/).
./scripts/e2e-lage.sh build/normal
# A minute of Raumvorstellung through the program, its help, end screen and
# evaluation (about 85 s; screenshots in build/normal/e2e-raum-1024x768/).
./scripts/e2e-raum.sh build/normal
# A whole sitting from the keyboard alone at 1024 x 768 and 1920 x 1080 (about
# 4 min; screenshots in build/normal/e2e-keyboard-WxH/).
./scripts/e2e-keyboard.sh build/normal
# The real sound device writing to a file: a tone found at its frequency and
# level (about 2 s).
./scripts/audio-disk-check.sh build/normal
# The package: built, unpacked into a scratch root, the installed program
# run with a scratch home and ended with SIGTERM and SIGINT (about 90 s).
./scripts/e2e-install.sh build/normal

# Every reader of files the program or a module opens, fuzzed from its seed
# corpus for 20 s each (clang, libFuzzer, ASan and UBSan; about 4 minutes).
run_suite fuzz fuzz_targets -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKESTRAVA_FUZZ=ON -DKESTRAVA_BENCH=OFF
./scripts/fuzz.sh build/fuzz 20

# A plain optimised build of the program, as packagers and users type it
# (warnings are not errors there); nothing is run from it.
run_suite release velomar zek_module kestrava-results -- -DCMAKE_BUILD_TYPE=Release -DKESTRAVA_BENCH=OFF -DKESTRAVA_WERROR=OFF

run_suite asan -- -DCMAKE_BUILD_TYPE=Debug -DKESTRAVA_SANITIZE=ON -DKESTRAVA_BENCH=OFF -DKESTRAVA_WERROR=ON
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs"

# The threaded parts: the message gate and canvas lock between the tick
# thread and the user-interface thread, the program's runs, and the mixer
# against slot changes from the tick thread, and ten virtual minutes of the
# soak.
run_suite tsan core_tests timer_tests app_tests shell_tests audio_threaded_tests soak_tests -- -DCMAKE_BUILD_TYPE=Debug -DKESTRAVA_TSAN=ON -DKESTRAVA_BENCH=OFF -DKESTRAVA_WERROR=ON
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure -j "$jobs" -L threaded

echo "=== all suites passed"
