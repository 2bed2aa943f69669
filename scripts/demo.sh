#!/usr/bin/env bash
# Builds the driver library and the reference host, then lets sbhost load the library the way a host does
# and drive a whole delivery on a simulated dispenser.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target sbdriver sbhost
./build/release/host/sbhost --simulate "$@"
