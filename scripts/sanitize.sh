#!/usr/bin/env bash
# Builds the whole program and its test suite with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan) and runs the tests. Any report from
# either sanitizer ends the test in question with a failure.
#   scripts/sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan

scripts/deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFACETRY_SANITIZE=ON -DFACETRY_WERROR=ON > /dev/null
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 900
