#!/usr/bin/env bash
# Every test: set-up, then the native, native-asan, win32 and win64 builds
# and their tests (the Windows ones under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=${QX_JOBS:-$(nproc)}
failed=()

run_preset() {
  local preset=$1
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  if [ -z "$(ctest --preset "$preset" -N | grep -E '^ *Test +#')" ]; then
    echo "($preset has no tests)"
    return 0
  fi
  ctest --preset "$preset" -j "$jobs" || failed+=("$preset")
}

# One persistent wineserver per prefix while its tests run; a wineserver that
# inherits a test's pipes would make every run wait for it.
with_wine() {
  local preset=$1
  export WINEPREFIX=$PWD/build/$preset/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  wineserver -p >/dev/null 2>&1 </dev/null &
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true   # creates the prefix on first use
  run_preset "$preset"
  wineserver -k >/dev/null 2>&1 || true
  unset WINEPREFIX
}

run_preset native
run_preset native-asan
with_wine win32
with_wine win64

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all presets passed"
