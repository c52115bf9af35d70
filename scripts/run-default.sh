#!/usr/bin/env bash
# The main job: one commit of the library on the built-in default notebook of the simulated machine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >/dev/null
cmake --preset host >/dev/null && cmake --build --preset host -j"$(nproc)" --target nuvdefset-sim >/dev/null
exec build/host/nuvdefset-sim "$@"
