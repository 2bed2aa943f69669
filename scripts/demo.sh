#!/usr/bin/env bash
# Builds the driver library, the reference host and the simulator, then lets sbhost load the library the way a
# host does and drive a whole delivery on a simulated dispenser.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target sbdriver sbhost sbsim
./build/release/host/sbhost --simulate "$@"
echo "sbhost: build/release/host/sbhost, sbsim: build/release/sim/sbsim (--help for each; docs/sbhost.md)"
