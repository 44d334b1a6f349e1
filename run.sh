#!/usr/bin/env bash
# Installs what is missing, builds both programs (the viewer and
# facetry-refine, not the tests: ./test.sh builds those) in build/src/app/,
# and opens a control mesh in the viewer: the bundled example, or the file
# you name. The viewer needs a display (an X server); without one the
# programs are still built, and the script says so and stops.
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
cmake --build build -j"$(nproc)" --target facetry_viewer facetry-refine
echo "Built build/src/app/facetry and build/src/app/facetry-refine (install them with: cmake --install build --prefix PREFIX)"
if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set): the viewer needs an X server; facetry-refine does not" >&2
  exit 1
fi
exec build/src/app/facetry "$mesh"
