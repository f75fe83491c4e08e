#!/usr/bin/env bash
# Builds the image fuzzer (clang, libFuzzer, ASan+UBSan) in build-fuzz/ and runs it.
#   fuzz/run.sh                 a bounded run of about 60 s (what CI runs)
#   fuzz/run.sh 3600            a run of that many seconds
#   fuzz/run.sh long            the long run: no time limit; stop it with Ctrl-C
# FUZZ_SEED=N fixes the fuzzer's random seed (CI uses 1), so that a run can be repeated.
# Findings land in build-fuzz/findings/ (crash-*, leak-*, timeout-*); copy each into
# tests/reliability/crashers/, where FuzzInputs.EveryCrasherRunsClean replays it, and fix it.
# The corpus the run grows is kept in build-fuzz/corpus/; fuzz/corpus/ holds the seeds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
  CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_BUILD_GUI=OFF \
    -DORVALIS_BUILD_TESTS=OFF -DORVALIS_BUILD_FUZZERS=ON -DORVALIS_WERROR=ON >/dev/null
fi
cmake --build "$build" --target orvalis_image_fuzzer -j "$(nproc)"
mkdir -p "$build/corpus" "$build/findings"
limit=(-max_total_time="$seconds")
[ "$seconds" = long ] && limit=()
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
exec "$build/bin/orvalis_image_fuzzer" "$build/corpus" fuzz/corpus \
  -seed="${FUZZ_SEED:-0}" -max_len=65537 -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/findings/" "${limit[@]}"
