#!/usr/bin/env bash
# The Windows release bundle, out/sbdriver-VERSION-win32.zip: sbdriver.dll stripped, with its version resource, the
# header, the .def file, import libraries for mingw (libsbdriver.dll.a) and for MSVC (sbdriver.lib), the C example
# host with its COM port service, the Pascal units with their example host, sbhost.exe, an example cnf.INI, the
# host guide and sbhost's guide written for the bundle with their screenshots and a short readme; beside the zip,
# the DLL's debug information (out/sbdriver-VERSION-win32.dll.debug, named by the DLL's debug link). Then checks
# the bundle: every file in the zip, the DLL stripped and its debug file whole, with the line of the driver's own
# code at an address for gdb, the image version in the DLL's header, and the MSVC import library linked by lld-link
# into a program that calls all six exports. tests/windows/run.sh builds the example from the zip and runs the
# bundle under Wine.
# First installs, with apt-get, the packages of scripts/install-deps.sh that the machine lacks (it names them).
# Usage: scripts/release-windows.sh [BUILD DIRECTORY]   (default build/win32, the Windows suite's build)
set -euo pipefail
cd "$(dirname "$0")/.."

echo "Checking for the packages the build needs (scripts/install-deps.sh names any it installs)"
bash scripts/install-deps.sh
version=$(sed -n 's/^project(sbdriver VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
build=${1:-build/win32}
cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" --target sbdriver sbhost -j "$(nproc)"

name="sbdriver-$version-win32"
stage="out/$name"
debug="out/$name.dll.debug"
rm -rf "$stage" "out/$name.zip" "$debug"
mkdir -p "$stage/include/sbdriver" "$stage/lib" "$stage/examples/c" "$stage/bindings/pascal" "$stage/examples/pascal"
# The DLL without its debug information, which goes into a file of its own that the DLL names (with its checksum):
# gdb finds it beside the DLL, so that a crash dump from a station can still be read.
i686-w64-mingw32-objcopy --only-keep-debug "$build/sbdriver.dll" "$debug"
i686-w64-mingw32-objcopy --strip-all "$build/sbdriver.dll" "$stage/sbdriver.dll"
i686-w64-mingw32-objcopy --add-gnu-debuglink="$debug" "$stage/sbdriver.dll"
cp "$build/host/sbhost.exe" "$stage/"
cp include/sbdriver/sbdriver.h "$stage/include/sbdriver/"
cp cmake/sbdriver.def "$build/libsbdriver.dll.a" "$stage/lib/"
llvm-dlltool -m i386 -d cmake/sbdriver.def -D sbdriver.dll -l "$stage/lib/sbdriver.lib"
cp examples/c/host.c examples/c/port_service.c examples/c/port_service.h examples/c/serial_line.h \
   examples/c/serial_win32.c "$stage/examples/c/"
cp bindings/pascal/SbDriver.pas bindings/pascal/SbSerialDevice.pas bindings/pascal/SbSerialPort.pas \
   "$stage/bindings/pascal/"
cp examples/pascal/host.dpr "$stage/examples/pascal/"
cp docs/settings-dialog.png docs/alert-window.png docs/report-example.png "$stage/"
# Texts for Windows: CRLF line ends.
sed "s/@VERSION@/$version/g; s/\$/\r/" release/windows/README.txt >"$stage/README.txt"
sed 's/$/\r/' release/windows/cnf.INI >"$stage/cnf.INI"
# The guides name only what the bundle holds: they come last, when everything else is in place.
python3 scripts/bundle-guide.py docs/host-guide.md "$stage"
python3 scripts/bundle-guide.py docs/sbhost.md "$stage"
(cd out && zip -qr "$name.zip" "$name")

# The zip holds every file of the bundle.
listed=$(python3 -m zipfile -l "out/$name.zip" | awk 'NR > 1 && $1 !~ /\/$/ {print $1}' | sort | tr '\n' ' ')
wanted=""
for file in README.txt alert-window.png bindings/pascal/SbDriver.pas bindings/pascal/SbSerialDevice.pas \
            bindings/pascal/SbSerialPort.pas cnf.INI examples/c/host.c examples/c/port_service.c \
            examples/c/port_service.h examples/c/serial_line.h examples/c/serial_win32.c examples/pascal/host.dpr \
            host-guide.md include/sbdriver/sbdriver.h lib/libsbdriver.dll.a lib/sbdriver.def lib/sbdriver.lib \
            report-example.png sbdriver.dll sbhost.exe sbhost.md settings-dialog.png; do
    wanted="$wanted$name/$file "
done
[ "$listed" = "$wanted" ] || { echo "FAIL the bundle holds: $listed"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The DLL has no debug information and its debug link names the debug file with that file's checksum; the debug
# file holds the information; the PE header carries the version.
sections() { i686-w64-mingw32-objdump -h "$1" | awk '$2 ~ /^\./ {print $2}' | tr '\n' ' '; }
[[ " $(sections "$stage/sbdriver.dll") " != *" .debug_"* ]] || { echo "FAIL the bundle's DLL has debug sections"; exit 1; }
[[ " $(sections "$debug") " == *" .debug_info "* ]] || { echo "FAIL $debug holds no debug information"; exit 1; }
i686-w64-mingw32-objcopy --dump-section .gnu_debuglink="$work/debuglink" "$stage/sbdriver.dll" "$work/dll" \
    || { echo "FAIL the bundle's DLL has no debug link"; exit 1; }
python3 - "$work/debuglink" "$debug" <<'PY'
import os, sys, zlib
link = open(sys.argv[1], "rb").read()
name, crc = link.split(b"\0", 1)[0].decode(), int.from_bytes(link[-4:], "little")
debug = sys.argv[2]
if name != os.path.basename(debug) or crc != zlib.crc32(open(debug, "rb").read()):
    sys.exit("FAIL the DLL's debug link names %s with checksum %08x, not %s" % (name, crc, debug))
PY
# gdb, given the bundle's DLL with its debug file beside it, names the driver's own source line at the address of
# an entry point (the runtime's lines alone would leave a crash in the driver unreadable).
cp "$stage/sbdriver.dll" "$debug" "$work/"
entry=$(i686-w64-mingw32-nm "$build/sbdriver.dll" | awk '$3 == "_GetVM30@12" {print $1}')
line=$(gdb -nx -batch -ex "info line *0x$entry" "$work/sbdriver.dll" 2>&1 | grep -m1 '^Line ' || true)
[[ "$line" == *"src/driver/EntryPoints.cpp"* ]] || { echo "FAIL gdb finds no driver line at GetVM30 (0x$entry): $line"; exit 1; }
image=$(i686-w64-mingw32-objdump -p "$stage/sbdriver.dll" \
    | awk '$1 == "MajorImageVersion" {major = $2} $1 == "MinorImageVersion" {minor = $2} END {print major "." minor}')
[ "$image" = "$version" ] || { echo "FAIL the DLL's image version is $image, not $version"; exit 1; }
kb() { echo "$(($(stat -c %s "$1") / 1024)) KB"; }
stripped="sbdriver.dll $(kb "$stage/sbdriver.dll") ($(kb "$build/sbdriver.dll") built), debug file $(kb "$debug")"

# An MSVC-built host links against sbdriver.lib: clang for the MSVC target and lld-link resolve all five exports
# to the names the DLL exports.
cat >"$work/host.c" <<'EOF'
#include "sbdriver/sbdriver.h"
int __cdecl mainCRTStartup(void) {
    SbFailure failure;
    SbLinkStatistics stats;
    SbDriver* driver = GetVM30(0, 0, 0);
    SbSetFailureMode(driver, SB_FAILURES_RETURN);
    stats.size = sizeof stats;
    return (int)SbGetLastFailure(&failure) + (int)SbGetLastFailureReason() + (int)SbGetLinkStatistics(driver, 1, &stats) +
           (GetDriver25(0, 0, 0, 0, 0, 0, 0, 0) == driver ? 0 : 1);
}
EOF
clang --target=i686-pc-windows-msvc -ffreestanding -I"$stage/include" -c "$work/host.c" -o "$work/host.obj"
lld-link /nologo /entry:mainCRTStartup /subsystem:console /nodefaultlib /out:"$work/host.exe" "$work/host.obj" \
    "$stage/lib/sbdriver.lib"
imports=$(i686-w64-mingw32-objdump -p "$work/host.exe" | sed -n '/DLL Name: sbdriver.dll/,/^$/p' \
    | awk 'NF == 3 && $2 == "0" {print $3}' | sort | tr '\n' ' ')
[ "$imports" = "GetDriver25@32 GetVM30@12 SbGetLastFailure@4 SbGetLastFailureReason@0 SbGetLinkStatistics@12 SbSetFailureMode@8 " ] \
    || { echo "FAIL a host linked with sbdriver.lib imports: $imports"; exit 1; }
echo "PASS out/$name.zip: $(echo "$wanted" | wc -w) files; $stripped, image version $image;" \
     "gdb: ${line%% and ends*}; sbdriver.lib links a host importing $imports"
