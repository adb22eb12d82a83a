#!/usr/bin/env bash
# Compares two folders of frames (PNG) pixel for pixel: the headless frames
# that shell_tests saves with KESTRAVA_FRAMES set, or the screenshots of two
# end-to-end runs. Every file of the first folder must be in the second
# with not one pixel different; prints each difference and the count.
#
#   scripts/compare-frames.sh BEFORE-DIR AFTER-DIR
# Needs: ImageMagick (compare).
set -uo pipefail
before=${1:?before folder}
after=${2:?after folder}
command -v compare >/dev/null || { echo "compare-frames: ImageMagick's compare missing" >&2; exit 2; }
total=0
differ=0
for file in "$before"/*.png; do
  [[ -e $file ]] || continue
  name=$(basename "$file")
  total=$((total + 1))
  if [[ ! -e $after/$name ]]; then
    echo "missing: $name"
    differ=$((differ + 1))
    continue
  fi
  pixels=$(compare -metric AE "$file" "$after/$name" null: 2>&1)
  if [[ $pixels != 0 ]]; then
    echo "differs: $name ($pixels pixels)"
    differ=$((differ + 1))
  fi
done
echo "compare-frames: $total frames, $differ differ"
[[ $total -gt 0 && $differ -eq 0 ]]
