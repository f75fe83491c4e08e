#!/usr/bin/env bash
# Builds Orvalis twice and runs every test of both builds: RelWithDebInfo with the desktop
# program, and ASan+UBSan of the core and the command-line program (the desktop program's own
# code is Qt glue, run offscreen in the first build). Then the image fuzzer gets a bounded run
# of 30 s in two processes, one a core (fixed seeds, so that a run is repeatable). The time of
# each phase is printed at the end.
#   ORVALIS_RELIABILITY_LONG=1  the long reliability sweeps
#   fuzz/run.sh SECONDS         a long fuzz run (see fuzz/run.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
phases=()
phase() {  # name, command...
  local name=$1 start=$SECONDS
  shift
  echo "== $name =="
  "$@"
  phases+=("$(printf '%-22s %4d s' "$name" $((SECONDS - start)))")
}
phase "install packages" scripts/install-deps.sh
jobs=$(nproc)
for preset in default asan; do
  phase "$preset build" bash -c "cmake --preset $preset >/dev/null && cmake --build --preset $preset -j $jobs"
  phase "$preset tests" ctest --preset "$preset" -j "$jobs"
done
phase "image fuzzer, 2 x 30 s" env FUZZ_SEED=1 FUZZ_JOBS=2 fuzz/run.sh 30
echo "== times =="
printf '%s\n' "${phases[@]}"
echo "total                  $SECONDS s"
