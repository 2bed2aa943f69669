#!/usr/bin/env bash
# Installs what building and testing sbdriver needs on a Debian machine: the native toolchain and test
# libraries, clang-format and clang-tidy for the style checks, rsvg-convert for the report's pictures, pip's
# offline build, pyserial and mypy for the Python package, Free Pascal and its source for the Pascal units,
# dpkg-shlibdeps, lintian and man for the Debian packages and manual pages, the 32-bit mingw-w64 toolchain with
# Wine for the Windows DLL, and gdb to read its debug file. Packages already present are left alone, so a second
# run costs nothing.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
          g++-mingw-w64-i686 wine wine32:i386 xvfb fonts-wine imagemagick python3 python3-venv
          python3-setuptools python3-wheel python3-serial mypy fp-compiler fp-units-rtl fp-utils fpc-source make
          pkg-config llvm lld zip librsvg2-bin dpkg-dev lintian man-db clang-format clang-tidy gdb)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo dpkg --add-architecture i386
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
