#!/usr/bin/env bash
# A long soak: whole deliveries on 32 points at once under random line faults, many per point.
#   bash scripts/soak.sh [deliveries-per-point (200)] [release|debug|tsan]
# The seed is printed with the summary; SB_SOAK_SEED=n repeats its draw.
set -euo pipefail
cd "$(dirname "$0")/.."

deliveries=${1:-200}
preset=${2:-release}
build="build/soak-$preset"
cmake --preset "$preset" -B "$build" -DSB_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target sbtests
SB_SOAK_DELIVERIES=$deliveries "./$build/tests/sbtests" --gtest_filter='Soak.*' --gtest_brief=1
