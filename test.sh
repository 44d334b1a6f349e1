#!/usr/bin/env bash
# Installs what is missing, builds Facetry and runs every test (the viewer's
# tests start their own virtual X server, so no display is needed).
#   ./test.sh
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DFACETRY_WERROR=ON > /dev/null
cmake --build build -j"$(nproc)"
cd build && ctest --output-on-failure -j"$(nproc)"
