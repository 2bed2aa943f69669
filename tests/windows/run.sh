#!/bin/sh
# Builds sbdriver.dll and the Windows test host with the win32 preset and runs the host under Wine in a fresh
# prefix. Exits with the test host's status (0: every check passed).
# Needs: cmake, ninja, g++-mingw-w64-i686, wine, wine32:i386 (after dpkg --add-architecture i386), xvfb.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/win32"
limit=300  # seconds for the whole Wine run; the checks take well under a minute

cd "$root"
cmake --preset win32 -DSB_WERROR=ON >/dev/null
cmake --build "$build" --target sbdriver sbwintest -j2

# Only system DLLs may be imported, and only the two entry points (plain and decorated) exported.
dump=$(i686-w64-mingw32-objdump -p "$build/sbdriver.dll")
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
if [ "$exports" != "GetDriver25 GetDriver25@32 GetVM30 GetVM30@12 " ]; then
    echo "FAIL sbdriver.dll exports: $exports"
    exit 1
fi
echo "PASS sbdriver.dll exports $exports"

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
mkdir -p "$work/host"
cp "$build/sbdriver.dll" "$build/tests/windows/sbwintest.exe" "$work/host/"

# wineserver inherits Wine's output: everything goes to files, never into a pipe this script waits on.
status=0
started=$(date +%s)
wineboot -i >"$work/wineboot.log" 2>&1 || { echo "FAIL wineboot -i (see $work/wineboot.log)"; exit 1; }
cd "$work/host"
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    timeout "$limit" xvfb-run -a wine sbwintest.exe >"$work/out.txt" 2>"$work/err.txt" || status=$?
else
    timeout "$limit" wine sbwintest.exe >"$work/out.txt" 2>"$work/err.txt" || status=$?
fi
wineserver -k || true
cat "$work/out.txt"
echo "Wine run: $(($(date +%s) - started)) s (prefix creation included)"

if [ "$status" -ne 0 ]; then
    rm -rf "$WINEPREFIX"  # hundreds of megabytes; the output, Wine's messages and the driver's log stay
    echo "sbwintest.exe exited with $status; its output, Wine's messages and the driver's log are in $work"
    exit "$status"
fi
rm -rf "$work"
