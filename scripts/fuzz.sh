#!/usr/bin/env bash
# Builds the readers' libFuzzer targets with clang and runs each from its seed
# corpus for a bounded time. Any crash, leak, timeout or memory blow-up fails
# the run; libFuzzer writes the input that caused it into build-fuzz/findings.
#   scripts/fuzz.sh [seconds-per-target]     (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz

scripts/deps.sh clang libclang-rt-14-dev llvm-14
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DFACETRY_FUZZ=ON -DFACETRY_TESTS=OFF -DFACETRY_WERROR=ON > /dev/null
targets=(text obj off)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

extension() { case "$1" in text) echo mesh ;; *) echo "$1" ;; esac; }

mkdir -p "$build/findings"
status=0
for target in "${targets[@]}"; do
  ext="$(extension "$target")"
  # The working corpus grows as the fuzzer finds new paths; it starts from the
  # seeds, the examples, the tests' data files and the kept regression inputs.
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  cp fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  find examples tests -name "*.$ext" -exec cp {} "$corpus"/ \;
  echo "== fuzz_$target: ${seconds}s from $(ls "$corpus" | wc -l) inputs"
  if ! ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/fuzz_$target" "$corpus" \
        -dict="fuzz/$target.dict" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
        2> "$build/fuzz_$target.log"; then
    status=1
    echo "fuzz_$target FOUND A FAULT (input kept in $build/findings):"
    tail -n 60 "$build/fuzz_$target.log"
  fi
  grep -E "^stat::(number_of_executed_units|peak_rss_mb)|^#[0-9]+ *DONE" "$build/fuzz_$target.log" || true
done
exit $status
