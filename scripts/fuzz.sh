#!/usr/bin/env bash
# Runs the hostile-dispenser fuzz target for the given number of seconds (default 60), seeded from the committed
# corpus in fuzz/corpus/hostile_dispenser. Findings land in build/fuzz/findings; new inputs go to
# build/fuzz/corpus (libFuzzer writes to the first folder only).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target hostile_dispenser_fuzz
mkdir -p build/fuzz/corpus build/fuzz/findings
./build/fuzz/fuzz/hostile_dispenser_fuzz -max_total_time="$seconds" -max_len=2048 -timeout=10 \
  -artifact_prefix=build/fuzz/findings/ -print_final_stats=1 build/fuzz/corpus fuzz/corpus/hostile_dispenser
