#!/usr/bin/env bash
# The negotiation over null mechanisms: 2, 8 and 32 mechanisms, per-message
# overhead, 8 threads. Run from scripts/bench.sh (native preset built).
set -euo pipefail
cd "$(dirname "$0")/.."
build/native/bench/negotiation_bench "${1:-20000}"
