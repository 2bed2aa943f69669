#!/usr/bin/env bash
# The whole test suite: the native build with warnings as errors, the GoogleTest suite with the example hosts and
# the install check, the style checks (clang-format, clang-tidy on the core), the same suite under address and
# undefined-behaviour sanitizers, the same under the thread sanitizer, and the Windows release bundle with its DLL
# in a real 32-bit process under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

run_suite() {
  local preset=$1
  cmake --preset "$preset" -DSB_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
  ctest --test-dir "build/$preset" --output-on-failure -j2
}

run_suite debug
# The code's habits: formatting and the core's static checks, on the debug build's compile commands.
bash scripts/check-style.sh build/debug
run_suite asan
# The whole suite once more under the thread sanitizer: host threads on several points, the alert thread,
# the simulator's and the serial lines' threads.
cmake --preset tsan -DSB_WERROR=ON >/dev/null
cmake --build --preset tsan --target sbtests
./build/tsan/tests/sbtests --gtest_brief=1
# A hostile dispenser for a short while: no crash, no out-of-bounds access, no hang. Then the reply decoders,
# and arbitrary recordings read, decoded and drawn.
bash scripts/fuzz.sh 20
bash scripts/fuzz.sh 10 reply_decoders
bash scripts/fuzz.sh 10 recording_report
# The Windows suite makes the release bundle and runs its DLL, its example and sbhost.exe under Wine.
bash tests/windows/run.sh
echo "All suites passed."
