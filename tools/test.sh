#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2
# The Debian package, built and checked by lintian: a change that breaks the
# packaging fails here.
tools/package.sh
# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -G Ninja -DNADELWERK_SANITIZE=ON -DNADELWERK_BENCH=OFF -DNADELWERK_GUI=OFF >/dev/null
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure -j2
# Every fuzz target for 30 s (clang, libFuzzer), two at a time.
fuzz/run.sh 30
