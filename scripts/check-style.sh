#!/usr/bin/env bash
# The code's habits, checked: every C and C++ file formatted as .clang-format says, and the portable core free
# of what .clang-tidy looks for (warnings are errors). Takes the compile commands of a configured build.
#   bash scripts/check-style.sh [build-dir (build/debug)]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/debug}
[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json: configure that build first" >&2; exit 2; }

git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
# The core's own translation units on this system; the Windows halves are compiled, not analysed, here.
git ls-files 'src/*.cpp' ':!src/*/win32/*' |
  xargs -P"$(nproc)" -n4 clang-tidy -p "$build" --quiet 2>/dev/null
echo "Style checks passed."
