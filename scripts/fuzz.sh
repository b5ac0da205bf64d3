#!/usr/bin/env bash
# Builds a fuzz target with clang, the fuzzing engine, AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes it for SECONDS (default 600) from a
# working copy of its seed corpus.
#   scripts/fuzz.sh [TARGET [SECONDS]]     TARGET defaults to qxgssconfig
# Targets: qxgssconfig, der_decoder (and the others under fuzz/).
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-qxgssconfig}
seconds=${2:-600}
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQX_FUZZ=ON -DQX_SANITIZE="address;undefined" -DBUILD_TESTING=OFF -DQX_SKIP="${QX_SKIP:-}" >/dev/null
cmake --build "$build" --target "${target}_fuzz"
work=$build/corpus-work/$target
mkdir -p "$work"
cp -n "fuzz/corpus/$target/"* "$work/" 2>/dev/null || true
"$build/fuzz/${target}_fuzz" "$work" -max_total_time="$seconds" -close_fd_mask=3 \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
