#!/usr/bin/env bash
# Installs the Python package sbdriver from the tree with pip, offline, into a new virtual environment that sees
# the system's packages (python3-serial, setuptools): the way a host developer without a package index does it.
# The package is built from a copy, so that setuptools leaves no build files in the tree. The environment's
# interpreter is a copy, not a link: the driver writes its log beside the running executable.
# Usage: python_package.sh PYTHON VENV PACKAGE-DIR
set -euo pipefail
python=$1 venv=$2 package=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rm -rf "$venv"
"$python" -m venv --copies --system-site-packages "$venv"
cp -r "$package" "$work/package"
"$venv/bin/python3" -m pip install --quiet --no-build-isolation --no-index --no-cache-dir "$work/package"
installed=$(cd "$work" && "$venv/bin/python3" -c 'import sbdriver, serial; print(sbdriver.__file__)')
[[ $installed == "$venv"/* ]] || { echo "FAIL sbdriver imported from $installed, not from $venv"; exit 1; }
echo "PASS sbdriver installed with pip into $venv"
