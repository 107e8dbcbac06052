#!/usr/bin/env bash
# Checks the house style of the C++ files; builds Release, an engine-and-command-line-only
# Release (LINECAL_DESKTOP=OFF) and
# Debug+ASan/UBSan; runs every test of the first and last (the fuzz targets' seed corpora
# replayed among them) and the engine's and command line's tests of the second; then fuzzes
# the parser, the regex service and the multi-status reader for a minute each, with their
# dictionaries.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-60}

# The house style first: it takes seconds, the builds take minutes.
./scripts/check-format.sh

# Warnings fail every gcc build, the sanitizer's included (the tree builds clean in each).
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLINECAL_BENCH=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure

# The engine and the command line alone (no desktop libraries), as servers and scripts use them.
cmake -S . -B build/engine -G Ninja -DCMAKE_BUILD_TYPE=Release -DLINECAL_DESKTOP=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build/engine -j"$jobs"
ctest --test-dir build/engine --output-on-failure -L engine

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLINECAL_SANITIZE=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build/asan --output-on-failure

if [ "$fuzz_seconds" -gt 0 ]; then
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLINECAL_FUZZ=ON >/dev/null
  targets="parse_fuzz regex_fuzz multistatus_fuzz"
  # shellcheck disable=SC2086
  cmake --build build/fuzz -j"$jobs" --target $targets
  for target in $targets; do
    mkdir -p "build/fuzz/corpus-$target"
    echo "fuzzing $target for ${fuzz_seconds}s"
    "build/fuzz/fuzz/$target" -max_total_time="$fuzz_seconds" -timeout=1 -rss_limit_mb=4096 \
      -dict="fuzz/$target.dict" -print_final_stats=0 -artifact_prefix="build/fuzz/$target-" "build/fuzz/corpus-$target" "fuzz/corpus/$target" 2>"build/fuzz/$target.log" \
      || { tail -n 60 "build/fuzz/$target.log"; exit 1; }
  done
fi
