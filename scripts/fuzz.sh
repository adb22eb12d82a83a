#!/usr/bin/env bash
# Runs every fuzz target of a KESTRAVA_FUZZ build for a bounded time from
# its seed corpus (tests/fuzz/corpus/<kind>/, and for pictures, cursors,
# sounds and the video the files the build draws: the normal build's program
# folder, make-seed-pictures, make-seed-waves and a clip from make-seed-clip).
# New inputs go to a scratch copy of the corpus; a crash, a leak or a
# timeout stops the run, and the input that caused it is kept in
# <build>/fuzz-findings/ (add it to the seed corpus together with the mend
# and a regression test).
#
# Usage: scripts/fuzz.sh [build dir, default build/fuzz] [seconds per target, default 20]
#                        [program folder for seeds, default build/normal/program]
# FUZZ_KINDS="bmp wave" limits the run to those targets (two shells with
# halves of the list use both cores for long runs).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/fuzz}" && pwd)
seconds=${2:-20}
program=$(cd "${3:-$here/build/normal/program}" && pwd)
findings=$build/fuzz-findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Seeds drawn by the build rather than kept in the repository.
generated() { # kind
  case $1 in
    bmp) cp "$program/skin/Regler.bmp" "$program/skin/PORA.bmp" "$program/skin/O.bmp" "$work/$1/" &&
      "$build/tests/fuzz/make-seed-pictures" "$work/$1" ;;
    cursor) cp "$program/HAND.CUR" "$program/FLIEGE.ANI" "$work/$1/" ;;
    wave) cp "$program/TESTS/MFR/MFRHOCH.WAV" "$work/$1/" && "$build/tests/fuzz/make-seed-waves" "$work/$1" ;;
    video) "$build/tests/fuzz/make-seed-clip" "$work/$1/seed.AVI" ;;
    module_states) head -c 256 /dev/zero >"$work/$1/zeros" ;;
  esac
}

kinds=(bmp cursor results results_tool suspend preferences settings module_states help_links wave video)
[[ -n ${FUZZ_KINDS:-} ]] && read -ra kinds <<<"$FUZZ_KINDS"
failed=()
for kind in "${kinds[@]}"; do
  target=$build/tests/fuzz/fuzz_$kind
  [[ -x $target ]] || { echo "fuzz: $target missing" >&2; exit 2; }
  mkdir -p "$work/$kind"
  [[ -d $here/tests/fuzz/corpus/$kind ]] && cp "$here/tests/fuzz/corpus/$kind/"* "$work/$kind/"
  generated "$kind"
  log=$work/$kind.log
  if ASAN_OPTIONS=detect_leaks=1 TMPDIR=$work "$target" "$work/$kind" \
       -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
       -artifact_prefix="$findings/$kind-" -print_final_stats=1 >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 || echo "cov: ?")
    echo "fuzz: $kind: $runs runs, $cov, corpus $(ls "$work/$kind" | wc -l) inputs"
  else
    echo "fuzz: $kind: FAILED (the input is in $findings/)" >&2
    grep -E 'ERROR|SUMMARY|==[0-9]+==' "$log" | head -20 >&2 || tail -30 "$log" >&2
    failed+=("$kind")
  fi
done
((${#failed[@]} == 0)) || { echo "fuzz: findings in ${failed[*]}" >&2; exit 1; }
echo "fuzz: all ${#kinds[@]} targets ran ${seconds} s each without a finding"
