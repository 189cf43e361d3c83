#!/usr/bin/env bash
# Painting against reading: PAIRS pairs of runs, each reader_bench's
# BM_ReadDst (1,000,000 records) and right after it paint_bench (1,000,000
# stitches); for each paint case the CPU time over BM_ReadDst's of the same
# pair, as the median and the range over the pairs.
#
#   bench/paint_pairs.sh [BUILD_DIR] [PAIRS] [PAINT_FILTER]   (defaults: build, 11, all)
#   READER=/other/build/bench/reader_bench bench/paint_pairs.sh ...   (another reader's time)
set -euo pipefail
build=${1:-build}
pairs=${2:-11}
filter=${3:-.}
reader=${READER:-$build/bench/reader_bench}
painter=$build/bench/paint_bench

# "name",iterations,real_time,cpu_time,... -> name cpu_ms
cpu_ms() {
  awk -F, '$1 ~ /^"BM_/ { gsub(/"/, "", $1); print $1, $4 }'
}

samples=$(mktemp)
trap 'rm -f "$samples"' EXIT
for ((pair = 1; pair <= pairs; ++pair)); do
  read_ms=$("$reader" --benchmark_filter='BM_ReadDst$' --benchmark_format=csv 2>/dev/null |
            cpu_ms | awk '{ print $2 }')
  "$painter" --benchmark_filter="$filter" --benchmark_format=csv 2>/dev/null | cpu_ms |
    awk -v r="$read_ms" '{ printf "%s %.4f %.3f %.3f\n", $1, $2 / r, $2, r }' >>"$samples"
done

printf '%-20s %7s %17s %10s %10s   (%d pairs, CPU time)\n' \
  case ratio range paint_ms read_ms "$pairs"
for name in $(awk '{ print $1 }' "$samples" | sort -u); do
  # Medians of the ratio, the paint time and the read time, each on its own.
  awk -v n="$name" '$1 == n' "$samples" |
    awk '{ r[NR] = $2; p[NR] = $3; q[NR] = $4 }
         function median(a, k) { return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2 }
         function sorted(a, k,   i, j, t) {
           for (i = 2; i <= k; ++i) for (j = i; j > 1 && a[j - 1] > a[j]; --j) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
         }
         END {
           sorted(r, NR); sorted(p, NR); sorted(q, NR); lo = r[1]; hi = r[NR]; m = median(r, NR)
           printf "%-20s %7.2f %8.2f-%-8.2f %10.2f %10.2f\n", "'"$name"'", m, lo, hi, median(p, NR), median(q, NR)
         }'
done
