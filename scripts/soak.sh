#!/usr/bin/env bash
# A long soak: whole deliveries on 32 points under random line faults, many per point, one draw (seed) after
# another, each wrong delivery printed with its trace and the command that replays exactly it.
#   bash scripts/soak.sh [deliveries-per-point (3000)] [seeds (20)] [release|debug|tsan]
# Seeds 1..N are run in turn (SB_SOAK_FIRST_SEED moves the start); SB_SOAK_SEEDS="n ..." repeats given draws.
# SB_SOAK_WORLD chooses the world: wide (the default: fill-ups, price changes, restarts, power cycles, amounts
# wider than the field), classic (presets and walk-aways), or fill-ups+prices+restarts+power+amounts in any part;
# SB_SOAK_POINTS="n ..." runs those points alone. Each point has its own driver object and line, so a seed
# reproduces. SB_SOAK_SHARED=1 runs the classic world with one driver object shared by 32 host threads instead
# (with tsan: the driver's locks under load), which does not reproduce.
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
test='SoakWorld.EveryAcceptedDeliveryCarriesTheDispensersOwnSale'
[ "${SB_SOAK_SHARED:-0}" = 1 ] && test='Soak.EveryAcceptedDeliveryCarriesTheDispensersOwnSale'
SB_SOAK_WORLD=${SB_SOAK_WORLD:-wide} SB_SOAK_STRICT=${SB_SOAK_STRICT:-1} SB_SOAK_SEEDS=$seeds \
  SB_SOAK_DELIVERIES=$deliveries "./$build/tests/sbtests" --gtest_filter="$test" --gtest_brief=1
