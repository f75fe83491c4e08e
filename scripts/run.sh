#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program on the default drive
# ($ORVALIS_DRIVE, or ~/.local/share/orvalis/drive-a.img, created blank when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
if [ -x build/bin/orvalis ]; then
  exec build/bin/orvalis "$@"
else
  exec build/bin/orvalis-cli list "$@"
fi
