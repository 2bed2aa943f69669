#!/usr/bin/env bash
# Installs the driver from a build tree into a temporary prefix, renders the manual pages, compiles the Pascal
# host from the installed units, builds the C example host against the installed tree twice, through the CMake
# package and through pkg-config, and has each make a delivery against sbsim with the installed library. Then
# builds the Debian packages (cpack -G DEB), builds the host against the library's package alone, unpacked into a
# root of its own, has it make a delivery, and has lintian check both packages (the tools' without a warning).
# Arguments: the build tree, the C compiler, sbsim.
set -euo pipefail
build=$1 cc=$2 sbsim=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
# The hosts built here wait for sbsim as long as the cases over ptys do ($turnaround).
# shellcheck source=tests/e2e/patience.sh
source "$root/tests/e2e/patience.sh"
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

# The manual pages: man renders them without a warning, and they say every line the installed programs' --help
# says (the synopsis without "usage: ", every line without its indentation).
for program in sbhost sbsim; do
    page="$prefix/share/man/man1/$program.1.gz"
    [ -f "$page" ] || { echo "FAIL not installed: ${page#$prefix/}"; exit 1; }
    LC_ALL=C MANWIDTH=200 man --warnings -l "$page" 2>"$work/man.err" | sed 's/^ *//' >"$work/$program.man"
    [ ! -s "$work/man.err" ] || { cat "$work/man.err"; echo "FAIL man warns about $program(1)"; exit 1; }
    "$prefix/bin/$program" --help | sed 's/^usage: //; s/^ *//' >"$work/$program.help"
    if grep -vxFf "$work/$program.man" "$work/$program.help"; then
        echo "FAIL $program(1) lacks the lines above of $program --help"; exit 1
    fi
done
echo "PASS installed: sbhost(1) and sbsim(1), rendered by man -l, say what --help says"

# The Pascal units: the host that uses them compiles from the installed tree alone, against the installed library.
units="$prefix/share/sbdriver/pascal"
mkdir -p "$work/pascal"
fpc -Sew -vew -Fu"$units" -FU"$work/pascal" -Fl"$(dirname "$library")" -o"$work/pascal/host" "$units/host.dpr" \
    >"$work/fpc.log" 2>&1 || { cat "$work/fpc.log"; echo "FAIL the installed Pascal host does not compile"; exit 1; }
echo "PASS installed: the Pascal units, with which ${units#$prefix/}/host.dpr compiles"

# The CMake package: a consumer project of its own.
cmake -S "$root/tests/install" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc" \
      -DCMAKE_C_FLAGS="-DTURNAROUND_MS=$turnaround" \
      -DEXAMPLES="$root/examples" >"$work/cmake.log" 2>&1 \
    || { cat "$work/cmake.log"; echo "FAIL find_package(sbdriver)"; exit 1; }
cmake --build "$work/cmake" >>"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; echo "FAIL build with the package"; exit 1; }
bash "$root/tests/e2e/line_delivery.sh" "$sbsim" "$work/cmake/c_host" @LINE@ || { echo "FAIL c_host (CMake)"; exit 1; }
echo "PASS c_host built with find_package(sbdriver) sold and reported the failure"

# pkg-config, with the prefix found from the file's own place: the C host built against the tree that holds PC
# and run with its library. Arguments: the sbdriver.pc, what the tree is.
version=$(sed -n 's/^project(sbdriver VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
host_with_pkg_config() {
    local pc=$1 tree=$2 found libdir
    local -x PKG_CONFIG_PATH
    PKG_CONFIG_PATH=$(dirname "$pc")
    found=$(pkg-config --modversion sbdriver)
    [ "$found" = "$version" ] || { echo "FAIL pkg-config says version $found in $tree"; exit 1; }
    # shellcheck disable=SC2046  # the flags are words of their own
    "$cc" -std=c99 -pedantic -Wall -Wextra -Werror -DTURNAROUND_MS="$turnaround" -o "$work/pc_host" "$root/examples/c/host.c" \
        "$root/examples/c/port_service.c" "$root/examples/c/serial_termios.c" $(pkg-config --cflags --libs sbdriver)
    libdir=$(pkg-config --variable=libdir sbdriver)
    LD_LIBRARY_PATH="$libdir" bash "$root/tests/e2e/line_delivery.sh" "$sbsim" "$work/pc_host" @LINE@ \
        || { echo "FAIL c_host (pkg-config, $tree)"; exit 1; }
    echo "PASS c_host built with pkg-config sbdriver $version in $tree sold and reported the failure"
}
host_with_pkg_config "$pc" "the installed tree"

# The Debian packages: the library's must do for a host by itself; the tools' depend on exactly that library.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; echo "FAIL cpack -G DEB"; exit 1; }
library_deb=$(find "$work/deb" -maxdepth 1 -name "libsbdriver*_$version-*.deb")
tools_deb=$(find "$work/deb" -maxdepth 1 -name "sbdriver-tools_$version-*.deb")
[ -f "$library_deb" ] && [ -f "$tools_deb" ] || { ls "$work/deb"; echo "FAIL the two packages were not built"; exit 1; }
dpkg-deb -x "$library_deb" "$work/debroot"
[ -f "$work/debroot/usr/share/sbdriver/pascal/SbDriver.pas" ] || { echo "FAIL $library_deb lacks SbDriver.pas"; exit 1; }
host_with_pkg_config "$(find "$work/debroot" -name sbdriver.pc)" "$(basename "$library_deb")"
depends=$(dpkg-deb -f "$tools_deb" Depends)
[[ $depends == *"$(dpkg-deb -f "$library_deb" Package) (= $(dpkg-deb -f "$library_deb" Version))"* ]] \
    || { echo "FAIL $(basename "$tools_deb") depends on $depends"; exit 1; }
lintian --fail-on error "$library_deb" "$tools_deb" >"$work/lintian.log" 2>&1 \
    || { cat "$work/lintian.log"; echo "FAIL lintian found errors"; exit 1; }
tools_package=$(dpkg-deb -f "$tools_deb" Package)
! grep "^W: $tools_package:" "$work/lintian.log" || { echo "FAIL lintian warns about $tools_package"; exit 1; }
echo "PASS lintian: no error in $(basename "$library_deb") and $(basename "$tools_deb"), $(grep -c '^W:' "$work/lintian.log") warnings"
