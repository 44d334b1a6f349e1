#!/usr/bin/env bash
# The frame benchmark: OpenGL calls, CPU time per frame and the cost of a
# vertex drag of the real viewer under a private Xvfb (Mesa's software
# renderer), on the 50,000-triangle sphere at levels 0 to 3, for this tree
# and for the drawing before vertex arrays (commit 46917e3, built once from
# git into build-frames/before); then the surface's drawing alone, old and
# new in turn in one process. Not part of the test suite.
#   bench/frames.sh [--max-level N] [--frames N] [--drags N] [--no-before]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh libosd-dev
cmake -S . -B build-frames -DCMAKE_BUILD_TYPE=Release -DFACETRY_BENCH=ON > /dev/null
cmake --build build-frames -j"$(nproc)" --target facetry_viewer facetry_framebench facetry_frametime facetry_framecount facetry_drawingab

beforeCommit=46917e3
before=build-frames/before
arguments=()
withBefore=1
for argument in "$@"; do
  if [ "$argument" = --no-before ]; then withBefore=0; else arguments+=("$argument"); fi
done
if [ "$withBefore" = 1 ]; then
  if [ ! -x "$before/build/src/app/facetry" ]; then
    rm -rf "$before" && mkdir -p "$before"
    git archive "$beforeCommit" | tar -x -C "$before"
    cmake -S "$before" -B "$before/build" -DCMAKE_BUILD_TYPE=Release -DFACETRY_TESTS=OFF > /dev/null
    cmake --build "$before/build" -j"$(nproc)" --target facetry
  fi
  arguments+=(--before "$before/build/src/app/facetry")
fi
tests/app/xvfb-run.sh build-frames/bench/facetry_framebench --after build-frames/src/app/facetry \
  --count-shim build-frames/bench/libfacetry_framecount.so --time-shim build-frames/bench/libfacetry_frametime.so \
  ${arguments[@]+"${arguments[@]}"}
echo
exec tests/app/xvfb-run.sh build-frames/bench/facetry_drawingab ${arguments[@]+"${arguments[@]}"}
