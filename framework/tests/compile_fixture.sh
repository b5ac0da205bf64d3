#!/usr/bin/env bash
# Compiles a fixture pair with the shipped schema into a compiled file, or
# with --check, fails when the committed compiled file is not what the
# compiler makes of the pair today.
#   compile_fixture.sh [--check] QXGSSCONFIG SCHEMA LIB USER OUT
set -euo pipefail
check=0
if [ "$1" = "--check" ]; then check=1; shift; fi
compiler=$1; schema=$2; lib=$3; user=$4; out=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$schema" "$lib" "$user" "$work/"
(cd "$work" && "$compiler" "$(basename "$lib")" "$(basename "$user")" fixture.bin >/dev/null)
if [ "$check" = 1 ]; then
  cmp "$work/fixture.bin" "$out" && echo "$out is current"
else
  cp "$work/fixture.bin" "$out"
fi
