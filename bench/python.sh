#!/usr/bin/env bash
# The Python module's benchmark: facetry.refine at level 3 of the
# 50,000-triangle sphere against the same work through the C++ library,
# time and peak memory, arrays included. Not part of the test suite.
# Arguments go to bench/python_refine.py:
#   bench/python.sh [--level L] [--repetitions N]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DFACETRY_BENCH=ON > /dev/null
cmake --build build-bench -j"$(nproc)" --target facetry_arraysbench facetry_python
sphere=build-bench/sphere-50k.mesh
[ -f "$sphere" ] || build-bench/bench/facetry_arraysbench --write-sphere "$sphere"
PYTHONPATH=build-bench/python exec /usr/bin/python3 bench/python_refine.py build-bench/bench/facetry_arraysbench "$sphere" "$@"
