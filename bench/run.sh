#!/usr/bin/env bash
# The benchmark: a paced and an unpaced full update of the real program (off screen) against
# the device simulator, the turnaround per block, the window hand-over rate and the footprint,
# as one table. About 75 s, most of it the line itself and the two 15-second success waits.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_dependencies.sh
cmake --preset default >/dev/null
cmake --build --preset default --target korv_bench korv-devsim >/dev/null
build/default/bench/korv_bench build/default/tools/devsim/korv-devsim 2>/dev/null
