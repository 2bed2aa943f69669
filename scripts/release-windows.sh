#!/usr/bin/env bash
# The Windows release bundle, out/sbdriver-VERSION-win32.zip: sbdriver.dll with its version resource, the header,
# the .def file, import libraries for mingw (libsbdriver.dll.a) and for MSVC (sbdriver.lib), an example cnf.INI,
# the host guide with its two screenshots and a short readme. Then checks the bundle: every file in the zip, and the MSVC import library
# linked by lld-link into a program that calls all four exports.
# Usage: scripts/release-windows.sh [BUILD DIRECTORY]   (default build/win32, the Windows suite's build)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
version=$(sed -n 's/^project(sbdriver VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
build=${1:-build/win32}
cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" --target sbdriver

name="sbdriver-$version-win32"
stage="out/$name"
rm -rf "$stage" "out/$name.zip"
mkdir -p "$stage/include/sbdriver" "$stage/lib"
cp "$build/sbdriver.dll" "$stage/"
cp include/sbdriver/sbdriver.h "$stage/include/sbdriver/"
cp cmake/sbdriver.def "$build/libsbdriver.dll.a" "$stage/lib/"
llvm-dlltool -m i386 -d cmake/sbdriver.def -D sbdriver.dll -l "$stage/lib/sbdriver.lib"
cp docs/host-guide.md docs/settings-dialog.png docs/alert-window.png "$stage/"
# Texts for Windows: CRLF line ends.
sed "s/@VERSION@/$version/; s/\$/\r/" release/windows/README.txt >"$stage/README.txt"
sed 's/$/\r/' release/windows/cnf.INI >"$stage/cnf.INI"
(cd out && zip -qr "$name.zip" "$name")

# The zip holds every file of the bundle.
listed=$(python3 -m zipfile -l "out/$name.zip" | awk 'NR > 1 && $1 !~ /\/$/ {print $1}' | sort | tr '\n' ' ')
wanted=""
for file in README.txt alert-window.png cnf.INI host-guide.md include/sbdriver/sbdriver.h lib/libsbdriver.dll.a \
            lib/sbdriver.def lib/sbdriver.lib sbdriver.dll settings-dialog.png; do
    wanted="$wanted$name/$file "
done
[ "$listed" = "$wanted" ] || { echo "FAIL the bundle holds: $listed"; exit 1; }

# An MSVC-built host links against sbdriver.lib: clang for the MSVC target and lld-link resolve all four exports
# to the names the DLL exports.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/host.c" <<'EOF'
#include "sbdriver/sbdriver.h"
int __cdecl mainCRTStartup(void) {
    SbFailure failure;
    SbDriver* driver = GetVM30(0, 0, 0);
    SbSetFailureMode(driver, SB_FAILURES_RETURN);
    return (int)SbGetLastFailure(&failure) + (GetDriver25(0, 0, 0, 0, 0, 0, 0, 0) == driver ? 0 : 1);
}
EOF
clang --target=i686-pc-windows-msvc -ffreestanding -I"$stage/include" -c "$work/host.c" -o "$work/host.obj"
lld-link /nologo /entry:mainCRTStartup /subsystem:console /nodefaultlib /out:"$work/host.exe" "$work/host.obj" \
    "$stage/lib/sbdriver.lib"
imports=$(i686-w64-mingw32-objdump -p "$work/host.exe" | sed -n '/DLL Name: sbdriver.dll/,/^$/p' \
    | awk 'NF == 3 && $2 == "0" {print $3}' | sort | tr '\n' ' ')
[ "$imports" = "GetDriver25@32 GetVM30@12 SbGetLastFailure@4 SbSetFailureMode@8 " ] \
    || { echo "FAIL a host linked with sbdriver.lib imports: $imports"; exit 1; }
echo "PASS out/$name.zip: $(echo "$wanted" | wc -w) files; sbdriver.lib links a host importing $imports"
