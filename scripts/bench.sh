#!/usr/bin/env bash
# Builds the native preset and runs every benchmark under bench/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" >/dev/null
for b in bench/*.sh; do
  echo "== $b"
  "$b"
done
