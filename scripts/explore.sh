#!/usr/bin/env bash
# Every fault placement: each sale script (a fault-free sale before it, then the script's sale) with one fault of
# each kind at every exchange where it can happen, and with every pair whose second fault comes within a window
# of exchanges after the first, each outcome judged as the soak judges it. In virtual time, on one thread: a case
# gives the same outcome on every run. Prints scripts × cases × outcomes and each script's first wrong case of
# each outcome with its trace and the command that replays it.
#   bash scripts/explore.sh [release|debug|tsan]
# SB_EXPLORE_WINDOW (default 4; 0: single faults only) bounds the pairs, SB_EXPLORE_STEP (default 1) places faults
# at every n-th exchange only, SB_EXPLORE_SCRIPTS="fill-up;walk-away" runs those scripts alone, and
# SB_EXPLORE_CASE='fill-up: nak@12 + silence@14' runs that one case and prints its trace.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${1:-release}
build="build/soak-$preset"
cmake --preset "$preset" -B "$build" -DSB_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target sbtests
"./$build/tests/sbtests" --gtest_also_run_disabled_tests --gtest_filter='Explorer.DISABLED_Everything' --gtest_brief=1
