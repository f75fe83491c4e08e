#!/usr/bin/env bash
# Builds the image fuzzer (clang, libFuzzer, ASan+UBSan) in build-fuzz/ and runs it.
#   fuzz/run.sh                 a bounded run of about 60 s (what CI runs)
#   fuzz/run.sh 3600            a run of that many seconds
#   fuzz/run.sh long            the long run: no time limit; stop it with Ctrl-C
# FUZZ_JOBS=N runs N fuzzing processes side by side on the shared corpus (one per core).
# FUZZ_SEED=N fixes the fuzzer's random seed (CI uses 1), so that a run can be repeated;
# process i of FUZZ_JOBS uses N + i.
# Findings land in build-fuzz/findings/ (crash-*, leak-*, timeout-*); copy each into
# tests/reliability/crashers/, where FuzzInputs.EveryCrasherRunsClean replays it, and fix it.
# The corpus the run grows is kept in build-fuzz/corpus/; fuzz/corpus/ holds the seeds.
# Every run that ends adds a line to build-fuzz/executions.log: when it ended, its seconds,
# processes, executions and status, and the executions of every logged run together.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
jobs="${FUZZ_JOBS:-1}"
build=build-fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
  CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_BUILD_GUI=OFF \
    -DORVALIS_BUILD_TESTS=OFF -DORVALIS_BUILD_FUZZERS=ON -DORVALIS_WERROR=ON >/dev/null || exit 1
fi
cmake --build "$build" --target orvalis_image_fuzzer -j "$(nproc)" || exit 1
mkdir -p "$build/corpus" "$build/findings" "$build/logs"
rm -f "$build"/logs/*.log
limit=(-max_total_time="$seconds")
[ "$seconds" = long ] && limit=()
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

start=$(date +%s)
fuzz_process() {  # $1: process number
  local seed=0
  [ -n "${FUZZ_SEED:-}" ] && seed=$((FUZZ_SEED + $1))
  "$build/bin/orvalis_image_fuzzer" "$build/corpus" fuzz/corpus \
    -seed="$seed" -max_len=65537 -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/" "${limit[@]}" 2>&1
}
# Ctrl-C reaches the fuzzers, which print their figures and stop; the script goes on to log them.
trap 'true' INT
if [ "$jobs" -le 1 ]; then
  fuzz_process 0 | tee "$build/logs/fuzz-0.log"
  status=${PIPESTATUS[0]}
else
  pids=()
  for ((i = 0; i < jobs; i++)); do fuzz_process "$i" >"$build/logs/fuzz-$i.log" & pids+=($!); done
  echo "fuzz: $jobs processes; output in $build/logs/fuzz-N.log"
  status=0
  for pid in "${pids[@]}"; do wait "$pid" || status=$?; done
fi

executions=$(cat "$build"/logs/*.log |
  awk '/^stat::number_of_executed_units:/ { n += $2 } END { print n + 0 }')
total=$executions
[ -f "$build/executions.log" ] &&
  total=$(awk -v n="$executions" '{ t += $4 } END { print t + n }' "$build/executions.log")
printf '%s %s %s %s %s %s\n' "$(date -u +%Y-%m-%dT%H:%M:%SZ)" "$(($(date +%s) - start))" \
  "$jobs" "$executions" "$status" "$total" >>"$build/executions.log"
echo "fuzz: $executions executions in $(($(date +%s) - start)) s (status $status);" \
  "$total in every logged run"
exit "$status"
