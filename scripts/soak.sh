#!/usr/bin/env bash
# A long soak: whole deliveries on 32 points at once under random line faults, many per point, one draw (seed)
# after another.
#   bash scripts/soak.sh [deliveries-per-point (3000)] [seeds (20)] [release|debug|tsan]
# Seeds 1..N are run in turn (SB_SOAK_FIRST_SEED moves the start); SB_SOAK_SEEDS="n ..." repeats given draws.
set -euo pipefail
cd "$(dirname "$0")/.."

deliveries=${1:-3000}
count=${2:-20}
preset=${3:-release}
first=${SB_SOAK_FIRST_SEED:-1}
build="build/soak-$preset"
cmake --preset "$preset" -B "$build" -DSB_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target sbtests
seeds=${SB_SOAK_SEEDS:-$(seq -s ' ' "$first" $((first + count - 1)))}
SB_SOAK_SEEDS=$seeds SB_SOAK_DELIVERIES=$deliveries "./$build/tests/sbtests" --gtest_filter='Soak.*' --gtest_brief=1
