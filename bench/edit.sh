#!/usr/bin/env bash
# The editing session's benchmark: undo and redo of a drag against one motion
# event at level 3 of the 50,000-triangle sphere, saving a 250,000-face cage
# in each format, and the undo history's bytes per step. No window; not part
# of the test suite. Arguments go to the benchmark:
#   bench/edit.sh [--repetitions N] [--level L]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh libosd-dev
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DFACETRY_BENCH=ON > /dev/null
cmake --build build-bench -j"$(nproc)" --target facetry_editbench
exec build-bench/bench/facetry_editbench "$@"
