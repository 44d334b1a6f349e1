#!/usr/bin/env bash
# Installs what is missing, builds Facetry and opens a control mesh in the
# viewer: the bundled example, or the file you name.
#   ./run.sh [mesh-file]
set -euo pipefail
here="$(pwd)"
cd "$(dirname "$0")"
mesh=examples/torus.mesh
if [ $# -gt 0 ]; then
  case "$1" in /*) mesh="$1" ;; *) mesh="$here/$1" ;; esac
fi
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j"$(nproc)" --target facetry_viewer
exec build/src/app/facetry "$mesh"
