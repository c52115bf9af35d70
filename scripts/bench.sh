#!/usr/bin/env bash
# Benchmarks: builds the `bench` target of the host and Windows presets and prints one table of
# figures (library overhead and log lines under Wine, per-command and per-adapter cost on the
# simulated machine, the DLL's size, peak memory and leaks of a commit). Not part of the tests.
# Options go to bench/bench.py (--runs N, --no-wine).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh >/dev/null

for preset in host win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$jobs" --target bench >/dev/null
done

exec python3 bench/bench.py "$@"
