#!/usr/bin/env bash
# Builds Orvalis twice (RelWithDebInfo, and ASan+UBSan) and runs every test of both builds,
# then gives the image fuzzer a bounded run of about a minute (fixed seed, so that a run is
# repeatable).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
for preset in default asan; do
  echo "== $preset build =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset tests =="
  ctest --preset "$preset" -j "$jobs"
done
echo "== image fuzzer, 60 s =="
FUZZ_SEED=1 fuzz/run.sh 60
