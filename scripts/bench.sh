#!/usr/bin/env bash
# The benchmarks behind docs/performance.md, on the release build: every operation's time against its lower
# bound (in process, and over paced pseudo-terminals at 2400 and 9600 bit/s with the reference port service), a
# silent point's cost, 32 lines polled from 32 threads against 32 times one, the driver's CPU and heap
# allocations per exchange with the trace log off and on, one log line's cost, and the reference host's resident
# memory with 32 points open. Every benchmark runs five times and the medians are the figures: other work on the
# machine makes single runs noisy. Arguments go to the benchmark program, e.g. --benchmark_filter=GetCounter.
# The whole run takes about ten minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target sbbench
./build/release/bench/sbbench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
