#!/usr/bin/env bash
# Whole-program cost of nadelwerk-cli against the cost of reading the file:
# `info` and `render` of a DST of 4,000,000 short stitches (12 MB), each as
# the median ratio of paired runs against `cat FILE > /dev/null`, and the
# peak memory of `info` per stitch. The floor is tools/load-floor: the same
# fresh memory written without any decoding.
#
#   tools/measure_speed.sh [BUILD_DIR] [PAIRS]      (defaults: build, 41)
#   CLI=/path/to/other/nadelwerk-cli tools/measure_speed.sh ...   (another build of it)
#
# Needs make-stress, time-pairs and load-floor from BUILD_DIR/tools, and /usr/bin/time.
set -euo pipefail
build=${1:-build}
pairs=${2:-41}
cli=${CLI:-$build/cli/nadelwerk-cli}
stitches=4000000

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/make-stress" dense-dst "$work/dense.dst" "$stitches"
cat "$work/dense.dst" >/dev/null  # in the page cache for both sides

echo "floor  vs cat: $("$build/tools/time-pairs" -n "$pairs" -- cat "$work/dense.dst" -- "$build/tools/load-floor" "$work/dense.dst")"
echo "info   vs cat: $("$build/tools/time-pairs" -n "$pairs" -- cat "$work/dense.dst" -- "$cli" info "$work/dense.dst")"
echo "render vs cat: $("$build/tools/time-pairs" -n "$pairs" -- cat "$work/dense.dst" -- "$cli" render "$work/dense.dst" "$work/out.png")"

peak=0
for _ in 1 2 3 4 5; do
  kib=$(/usr/bin/time -f %M "$cli" info "$work/dense.dst" 2>&1 >/dev/null | tail -1)
  ((kib > peak)) && peak=$kib
done
echo "info peak memory: $peak KiB, $(awk -v k="$peak" -v n="$stitches" 'BEGIN { printf "%.2f", k * 1024 / n }') bytes per stitch (largest of 5 runs)"
