#!/usr/bin/env bash
# Round trip: compiles the shipped configuration with the compiler, dumps
# the result with qxgssdump and compares the dump with the expected one.
#   roundtrip.sh COMPILER QXGSSDUMP SOURCE_ROOT EXPECTED_DUMP
set -u
compiler=$1; dump=$2; root=$3; expected=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/qxroundtrip.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$compiler" "$root/config/QxgssLibConfigFile.xml" "$root/config/QxgssUserConfigFile.xml" "$work/qxgssconfig.bin" \
  >"$work/compiler.out" 2>&1 || { echo "compiler failed:"; cat "$work/compiler.out"; exit 1; }
"$dump" "$work/qxgssconfig.bin" >"$work/dump.xml" || { echo "qxgssdump failed"; exit 1; }
if ! cmp -s "$expected" "$work/dump.xml"; then
  echo "dump differs from $expected:"; diff "$expected" "$work/dump.xml" | head -40; exit 1
fi
echo "round trip matches"
