#!/usr/bin/env bash
# Installs what is missing (OpenSubdiv is among it), builds the benchmark in
# Release mode and prints its table. Arguments go to the benchmark:
#   bench/run.sh [--max-level N] [--repetitions N] [--only TEXT] [--no-processes]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DFACETRY_BENCH=ON > /dev/null
cmake --build build-bench -j"$(nproc)" --target facetry_bench
exec build-bench/bench/facetry_bench "$@"
