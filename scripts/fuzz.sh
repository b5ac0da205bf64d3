#!/usr/bin/env bash
# Builds the fuzz targets with clang, the fuzzing engine, AddressSanitizer
# and UndefinedBehaviorSanitizer, and fuzzes the compiler for SECONDS
# (default 600) from a working copy of the seed corpus.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQX_FUZZ=ON -DQX_SANITIZE="address;undefined" -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target qxgssconfig_fuzz
work=$build/corpus-work
mkdir -p "$work"
cp -n fuzz/corpus/qxgssconfig/* "$work/" 2>/dev/null || true
"$build/fuzz/qxgssconfig_fuzz" "$work" -max_total_time="$seconds" -close_fd_mask=3 \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
