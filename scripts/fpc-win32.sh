#!/usr/bin/env bash
# Free Pascal for 32-bit Windows, made from Debian's packages: Debian ships the compiler for its own systems only
# (fpc) and the compiler's and run-time library's source (fpc-source), but no i386-win32 compiler or units. This
# builds the cross compiler from that source with Debian's compiler, then the i386-win32 run-time library with it
# (the internal assembler and linker: no binutils), into DIR, in about a minute. A second run with DIR complete
# does nothing. Afterwards:
#   DIR/ppcross386 -n -Twin32 -FuDIR/units -Fu... program.dpr
# Usage: scripts/fpc-win32.sh DIR
set -euo pipefail
dir=$(mkdir -p "$1" && cd "$1" && pwd)
[ -x "$dir/ppcross386" ] && [ -f "$dir/units/sysutils.ppu" ] && exit 0

version=$(fpc -iV)
source=/usr/share/fpcsrc/$version
messages=$(dirname "$(readlink -f "$(command -v "ppcx64-$version" || command -v ppcx64)")")/msg/errore.msg
[ -d "$source/compiler" ] && [ -d "$source/rtl" ] || { echo "no Free Pascal source in $source (fpc-source)" >&2; exit 1; }
[ -f "$messages" ] || { echo "no compiler messages at $messages (fp-compiler)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$source/compiler" "$source/rtl" "$work/"
log="$dir/build.log"
: >"$log"

# The compiler's message texts, which its source includes as generated files.
mkdir -p "$work/out" "$work/compiler/msg"
cp "$messages" "$work/compiler/msg/"
ppcx64 -FE"$work/out" -FU"$work/out" "$work/compiler/utils/msg2inc.pp" >>"$log"
(cd "$work/compiler" && "$work/out/msg2inc" msg/errore.msg msg msg) >>"$log"
(cd "$work/compiler" && ppcx64 -O2 -di386 -Fui386 -Fux86 -Fusystems -Fii386 -Fix86 -Fi. -FE"$work/out" \
    -FU"$work/out" pp.pas -o"$work/out/ppcross386") >>"$log" 2>&1 || { tail -20 "$log"; exit 1; }

# The run-time library through its own makefiles, which fpcmake writes. Debian's source lacks the list of the i386
# include files those makefiles read: it names them here.
printf 'CPUNAMES=cpuh cpuinnr fastmove i386 int64p math set setjump setjumph strings stringss\n%s\n' \
    'CPUINCNAMES=$(addsuffix .inc,$(CPUNAMES))' >"$work/rtl/i386/makefile.cpu"
(cd "$work/rtl" && fpcmake -Tall && cd win32 && fpcmake -Tall) >>"$log" 2>&1
make -C "$work/rtl/win32" FPC="$work/out/ppcross386" CPU_TARGET=i386 OS_TARGET=win32 BINUTILSPREFIX= OPT=-Xd \
    >>"$log" 2>&1 || { tail -20 "$log"; exit 1; }

rm -rf "$dir/units"
cp -r "$work/rtl/units/i386-win32" "$dir/units"
cp "$work/out/ppcross386" "$dir/"
echo "Free Pascal $version for i386-win32 in $dir"
