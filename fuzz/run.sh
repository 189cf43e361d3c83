#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a
# bounded time, two at a time (the machine has two cores).
#   fuzz/run.sh [SECONDS] [TARGET...]     e.g. fuzz/run.sh 600 read_pes save_paint
# Targets: read_pes read_pec read_dst read_pcs read_sew read_jef read_vp3
# read_exp read_xxx read_hus read_vip read_phc read_phb hus_stream save_paint (default:
# all). New inputs go to build-fuzz/fuzz/corpus/TARGET, findings to
# build-fuzz/fuzz/findings/TARGET/, each run's output to
# build-fuzz/fuzz/logs/TARGET.log. Fails when any target finds something.
# Inputs grow up to FUZZ_MAX_LEN bytes (default 200000: real designs of a few
# hundred kilobytes and the hostile ones that only hurt at that size).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(read_pes read_pec read_dst read_pcs read_sew read_jef read_vp3 read_exp
  read_xxx read_hus read_vip read_phc read_phb hus_stream save_paint)
build=build-fuzz
max_len=${FUZZ_MAX_LEN:-200000}

cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNADELWERK_FUZZ=ON -DNADELWERK_TESTS=OFF \
  -DNADELWERK_BENCH=OFF -DNADELWERK_GUI=OFF >/dev/null
cmake --build "$build" --target fuzz_seeds "${targets[@]/#/fuzz_}"

out="$build/fuzz"
mkdir -p "$out/logs"
run() {
  local t=$1 seeds
  if [ "$t" = save_paint ]; then seeds=("$out/seeds/save"); else
    seeds=("$out/seeds/${t#read_}")
    [ -d "../shared/corpus/${t#read_}" ] && seeds+=("../shared/corpus/${t#read_}")
  fi
  mkdir -p "$out/corpus/$t" "$out/findings/$t"
  "$out/fuzz_$t" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/findings/$t/" \
    "$out/corpus/$t" "${seeds[@]}" >"$out/logs/$t.log" 2>&1
}

passed=0
failed=0
report() {
  local t=$1 rc=$2 execs rate
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/logs/$t.log" | tail -1)
  rate=$(sed -n 's/.*DONE.* exec\/s: \([0-9]*\).*/\1/p' "$out/logs/$t.log" | tail -1)
  if [ "$rc" -eq 0 ]; then
    passed=$((passed + 1))
    echo "fuzz_$t: ${execs:-?} executions in ${seconds} s, ${rate:-?} exec/s, no finding"
  else
    failed=$((failed + 1))
    echo "fuzz_$t: FINDING (exit $rc), see $out/logs/$t.log and $out/findings/$t/"
    grep -m1 -E "ERROR|invariant|runtime error|differently|abort" "$out/logs/$t.log" || true
  fi
}

for ((i = 0; i < ${#targets[@]}; i += 2)); do
  a=${targets[i]}
  b=${targets[i + 1]:-}
  run "$a" & pa=$!
  if [ -n "$b" ]; then run "$b" & pb=$!; fi
  rc=0; wait "$pa" || rc=$?; report "$a" "$rc"
  if [ -n "$b" ]; then rc=0; wait "$pb" || rc=$?; report "$b" "$rc"; fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
