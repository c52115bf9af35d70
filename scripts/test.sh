#!/usr/bin/env bash
# Builds everything and runs every test: installs what is missing, builds the host, Windows and
# sanitizer presets, and runs CTest (the Wine runs included) and the sanitized host tests.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

cmake --preset win32 >/dev/null && cmake --build --preset win32 -j"$jobs"
cmake --preset win64 >/dev/null && cmake --build --preset win64 -j"$jobs"
cmake --preset host >/dev/null && cmake --build --preset host -j"$jobs"
cmake --preset host-sanitize >/dev/null && cmake --build --preset host-sanitize -j"$jobs"

ctest --preset host -j"$jobs"
# The sanitized build runs the host tests again; the Wine runs, the package check and the fuzzer
# are not repeated.
ctest --preset host-sanitize -j"$jobs" -LE 'wine|fuzz|package'
