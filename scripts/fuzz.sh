#!/usr/bin/env bash
# Runs a fuzz target (default hostile_dispenser; or reply_decoders, recording_report) for the given number of
# seconds (default 60), seeded from its committed corpus in fuzz/corpus/TARGET, with the words of
# fuzz/TARGET.dict where there is one. Findings land in build/fuzz/findings; new inputs go to
# build/fuzz/corpus/TARGET (libFuzzer writes to the first folder only).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
target=${2:-hostile_dispenser}
bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${target}_fuzz"
mkdir -p "build/fuzz/corpus/$target" build/fuzz/findings
dictionary=()
[ -f "fuzz/$target.dict" ] && dictionary=(-dict="fuzz/$target.dict")
"./build/fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=2048 -timeout=10 "${dictionary[@]}" \
  -artifact_prefix=build/fuzz/findings/ -print_final_stats=1 "build/fuzz/corpus/$target" "fuzz/corpus/$target"
