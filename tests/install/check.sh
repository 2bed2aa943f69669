#!/usr/bin/env bash
# Installs the driver from a build tree into a temporary prefix, builds the C example host against the installed
# tree twice, through the CMake package and through pkg-config, and has each make a delivery against sbsim with
# the installed library.
# Arguments: the build tree, the C compiler, sbsim.
set -euo pipefail
build=$1 cc=$2 sbsim=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null
header="$prefix/include/sbdriver/sbdriver.h"
library=$(find "$prefix" -name libsbdriver.so)
pc=$(find "$prefix" -name sbdriver.pc)
for file in "$header" "$library" "$pc"; do
    [ -f "$file" ] || { echo "FAIL not installed: ${file:-libsbdriver.so or sbdriver.pc}"; exit 1; }
done
cmp -s "$header" "$root/include/sbdriver/sbdriver.h" || { echo "FAIL the installed header differs"; exit 1; }
echo "PASS installed: ${header#$prefix/} ${library#$prefix/} ${pc#$prefix/} and the CMake package"

# The CMake package: a consumer project of its own.
cmake -S "$root/tests/install" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc" \
      -DEXAMPLES="$root/examples" >"$work/cmake.log" 2>&1 \
    || { cat "$work/cmake.log"; echo "FAIL find_package(sbdriver)"; exit 1; }
cmake --build "$work/cmake" >>"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; echo "FAIL build with the package"; exit 1; }
bash "$root/tests/e2e/line_delivery.sh" "$sbsim" "$work/cmake/c_host" @LINE@ || { echo "FAIL c_host (CMake)"; exit 1; }
echo "PASS c_host built with find_package(sbdriver) sold and reported the failure"

# pkg-config, with the prefix found from the file's own place.
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$pc")
version=$(pkg-config --modversion sbdriver)
[ "$version" = "$(sed -n 's/^project(sbdriver VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")" ] \
    || { echo "FAIL pkg-config says version $version"; exit 1; }
# shellcheck disable=SC2046  # the flags are words of their own
"$cc" -std=c99 -pedantic -Wall -Wextra -Werror -o "$work/pc_host" "$root/examples/c/host.c" \
    "$root/examples/c/port_service.c" "$root/examples/c/serial_termios.c" $(pkg-config --cflags --libs sbdriver)
LD_LIBRARY_PATH="$(dirname "$library")" bash "$root/tests/e2e/line_delivery.sh" "$sbsim" "$work/pc_host" @LINE@ \
    || { echo "FAIL c_host (pkg-config)"; exit 1; }
echo "PASS c_host built with pkg-config sbdriver $version sold and reported the failure"
