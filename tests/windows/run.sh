#!/bin/sh
# Builds sbdriver.dll and the Windows test hosts with the win32 preset, makes the release bundle from them
# (scripts/release-windows.sh), builds the bundle's C example and, with Free Pascal for Windows made from Debian's
# source (scripts/fpc-win32.sh), its Pascal example from the bundle's own files, and runs the test hosts, the
# examples and sbhost.exe with the bundle's DLL under Wine in a fresh prefix. Exits 0 when every check passed.
# Needs: cmake, ninja, g++-mingw-w64-i686, wine, wine32:i386 (after dpkg --add-architecture i386), xvfb;
# fonts-wine for the windows' fonts and imagemagick to turn the screenshots into PNG files.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/win32"
limit=210  # seconds for the whole Wine run; the checks take about a minute and a half, most of it the soak

cd "$root"
cmake --preset win32 -DSB_WERROR=ON >/dev/null
cmake --build "$build" --target sbdriver sbwintest sbalerttest sbhost -j2
# The dispenser on the Linux side of the Windows host's serial line: sbsim of the native debug build.
cmake --preset debug -DSB_WERROR=ON >/dev/null
cmake --build "$root/build/debug" --target sbsim -j2
bash scripts/release-windows.sh "$build"
version=$(sed -n 's/^project(sbdriver VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
bundle="$root/out/sbdriver-$version-win32"

# Only system DLLs may be imported, and only the two entry points, the three failure calls and the link
# statistics (plain and decorated) exported.
dump=$(i686-w64-mingw32-objdump -p "$bundle/sbdriver.dll")
imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
for dll in $imports; do
    case "$dll" in
        KERNEL32.DLL | USER32.DLL | GDI32.DLL | MSVCRT.DLL | ADVAPI32.DLL | COMCTL32.DLL) ;;
        *) echo "FAIL sbdriver.dll imports $dll, which is not a system DLL"; exit 1 ;;
    esac
done
echo "PASS sbdriver.dll imports only system DLLs: $imports"
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
    | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
expected="GetDriver25 GetDriver25@32 GetVM30 GetVM30@12"
expected="$expected SbGetLastFailure SbGetLastFailure@4 SbGetLastFailureReason SbGetLastFailureReason@0"
expected="$expected SbGetLinkStatistics SbGetLinkStatistics@12"
expected="$expected SbSetFailureMode SbSetFailureMode@8 "
if [ "$exports" != "$expected" ]; then
    echo "FAIL sbdriver.dll exports: $exports"
    exit 1
fi
echo "PASS sbdriver.dll exports $exports"

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
mkdir -p "$work/host"
cp "$bundle/sbdriver.dll" "$bundle/sbhost.exe" "$build/tests/windows/sbwintest.exe" \
    "$build/tests/windows/sbalerttest.exe" "$work/host/"
# The example as a host developer builds it from the unpacked zip: its readme's build line pasted as it stands,
# warnings as errors.
python3 -m zipfile -e "$root/out/sbdriver-$version-win32.zip" "$work"
unpacked="$work/sbdriver-$version-win32"
build_line=$(grep -m1 '^ *i686-w64-mingw32-gcc ' "$unpacked/README.txt" | tr -d '\r')
(cd "$unpacked" && eval "$build_line -pedantic -Wall -Wextra -Werror") \
    || { echo "FAIL the readme's build line: $build_line"; exit 1; }
mv "$unpacked/host.exe" "$work/host/"
echo "PASS the readme's build line builds the example from the zip"
# The Pascal example from the bundle's units, and the units' records and tables beside the header's as the 32-bit
# compilers lay them out (tests/pascal/layout.dpr and tests/c/layout.c, compared under Wine below).
fpc="$build/fpc-win32"
bash scripts/fpc-win32.sh "$fpc"
mkdir -p "$work/pascal"
for program in "$work/sbdriver-$version-win32/examples/pascal/host.dpr" tests/pascal/layout.dpr; do
    "$fpc/ppcross386" -n -Twin32 -Sew -vew -Fu"$fpc/units" -Fu"$work/sbdriver-$version-win32/bindings/pascal" \
        -FU"$work/pascal" -o"$work/host/pascal_$(basename "$program" .dpr).exe" "$program" >"$work/fpc.log" 2>&1 \
        || { cat "$work/fpc.log"; echo "FAIL Free Pascal for Windows did not compile $program"; exit 1; }
done
i686-w64-mingw32-gcc -std=c99 -Wall -Werror -I"$work/sbdriver-$version-win32/include" tests/c/layout.c \
    -o "$work/host/c_layout.exe"

# wineserver inherits Wine's output: everything goes to files, never into a pipe this script waits on.
status=0
started=$(date +%s)
wineboot -i >"$work/wineboot.log" 2>&1 || { echo "FAIL wineboot -i (see $work/wineboot.log)"; exit 1; }
# Without a window manager every window that hides would wait for one: Wine's windows manage themselves.
for value in Managed Decorated; do
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" /d N /f >>"$work/wineboot.log" 2>&1
done
# COM1 of the prefix leads to $work/com1, which the delivery below points at sbsim's pseudo-terminal. A link
# put into dosdevices by hand would not last: Wine's mount manager rewrites the COM links from /dev/ttyS* at
# every start, except the ports named here.
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$work/com1" /f >>"$work/wineboot.log" 2>&1
# The prefix was set up without a display: its wineserver must end, or the runs below find no display driver.
timeout 30 wineserver -w || true
# Tahoma and MS Sans Serif as the windows ask for them, not a substitute.
if command -v dpkg >/dev/null && dpkg -L fonts-wine >/dev/null 2>&1; then
    dpkg -L fonts-wine | grep -E '/(tahoma|tahomabd|ms_sans_serif|marlett)\.ttf$' \
        | xargs -r cp -t "$WINEPREFIX/drive_c/windows/Fonts/"
fi

# The runs share one display: the main checks, a process whose first menu hook finds no dispenser menu, the
# alert queue with the driver's core linked in, the two layouts, and a whole delivery each by the bundle's example
# hosts (C and Pascal, which waits 400 ms for sbsim's answers as the cases over ptys do) and by sbhost.exe over COM1
# against sbsim (with the driver's default settings, not those the checks left in the Windows directory). Each
# prints its PASS/FAIL lines.
export SBSIM="$root/build/debug/sim/sbsim" LINE_DELIVERY="$root/tests/e2e/line_delivery.sh"
export LINE_LINK="$work/com1" LINE_NAME=COM1
runs='s=0; wine sbwintest.exe || s=1; wine sbwintest.exe --menu-without-dispenser || s=1
      wine sbalerttest.exe || s=1
      wine pascal_layout.exe >pascal_layout.txt; wine c_layout.exe >c_layout.txt
      if [ -s c_layout.txt ] && cmp -s pascal_layout.txt c_layout.txt; then
        echo "PASS the Pascal units lay records and tables out as sbdriver.h does, in 32-bit Windows"
      else echo "FAIL the Pascal units lay out:"; diff pascal_layout.txt c_layout.txt; s=1; fi
      rm -f "$WINEPREFIX/drive_c/windows/cnf.INI"
      if bash "$LINE_DELIVERY" "$SBSIM" wine host.exe @LINE@; then echo "PASS examples/c/host.c built from the bundle, over COM1"
      else s=1; fi
      if bash "$LINE_DELIVERY" "$SBSIM" wine pascal_host.exe @LINE@ 400; then
        echo "PASS examples/pascal/host.dpr built from the bundle by Free Pascal, over COM1"; else s=1; fi
      if bash "$LINE_DELIVERY" "$SBSIM" wine sbhost.exe; then echo "PASS sbhost.exe over COM1"; else s=1; fi
      exit $s'
cd "$work/host"
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    timeout "$limit" xvfb-run -a -s "-screen 0 1024x768x24" sh -c "$runs" >"$work/out.txt" 2>"$work/err.txt" \
        || status=$?
else
    timeout "$limit" sh -c "$runs" >"$work/out.txt" 2>"$work/err.txt" || status=$?
fi
wineserver -k || true
cat "$work/out.txt"
echo "Wine run: $(($(date +%s) - started)) s (prefix creation included)"

# Screenshots of the driver's windows, for people to look at.
shots="$build/screenshots"
mkdir -p "$shots"
for bmp in "$work"/host/*.bmp; do
    [ -e "$bmp" ] || continue
    name=$(basename "$bmp" .bmp)
    if command -v convert >/dev/null; then convert "$bmp" "$shots/$name.png"; else cp "$bmp" "$shots/"; fi
done
echo "Screenshots in $shots"

if [ "$status" -ne 0 ]; then
    rm -rf "$WINEPREFIX"  # hundreds of megabytes; the output, Wine's messages and the driver's log stay
    echo "The Windows checks exited with $status; their output, Wine's messages and the driver's log are in $work"
    exit "$status"
fi
rm -rf "$work"
