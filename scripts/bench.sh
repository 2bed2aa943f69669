#!/usr/bin/env bash
# Benchmarks of the release build: the driver's CPU per exchange, with and without the trace log on disk, and a
# status poll's time against the pauses the line protocol demands.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target sbbench
./build/release/bench/sbbench "$@"
