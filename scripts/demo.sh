#!/usr/bin/env bash
# The main job on the shipped sample configuration: set up, build, compile
# the library file and the sample user file into qxgssconfig.bin, and show
# the result.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" >/dev/null

out=build/demo
mkdir -p "$out"
echo "\$ qxgssconfig config/QxgssLibConfigFile.xml config/QxgssUserConfigFile.xml $out/qxgssconfig.bin"
build/native/qxgssconfig/qxgssconfig config/QxgssLibConfigFile.xml config/QxgssUserConfigFile.xml "$out/qxgssconfig.bin"
echo "(exit status $?)"
echo
echo "The compiled file, $(wc -c <"$out/qxgssconfig.bin") bytes; its header and first records:"
od -A d -t x4 "$out/qxgssconfig.bin" | head -8
echo "Strings in its pool:"
tr '\0' '\n' <"$out/qxgssconfig.bin" | grep -a -E '^[[:print:]]{2,}$' | tr '\n' ' ' | fold -s -w 100
echo

if [ -x scripts/demo-dirscout.sh ] && [ -x build/native/tools/dirscout/dirscout ]; then
  echo
  scripts/demo-dirscout.sh build/native/tools/dirscout/dirscout "$out/qxgssconfig.bin"
fi
