#!/usr/bin/env bash
# Compiles a configuration pair, dumps the compiled file back as XML and
# compares the dump with the merged document the compiler recorded.
#   roundtrip-test.sh QXGSSCONFIG QXGSSDUMP RENDER_MERGED LIB USER
set -euo pipefail
compiler=$1; dump=$2; render=$3; lib=$4; user=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$compiler" "$lib" "$user" "$work/qxgssconfig.bin" >/dev/null
"$dump" "$work/qxgssconfig.bin" >"$work/dumped.xml"
"$render" "$lib" "$user" >"$work/merged.xml"
if diff -u "$work/merged.xml" "$work/dumped.xml"; then
  echo "round trip: $(wc -l <"$work/merged.xml") lines identical"
else
  echo "round trip: the dump differs from the merged document"
  exit 1
fi
