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
echo "The compiled file, $(wc -c <"$out/qxgssconfig.bin") bytes; its header:"
od -A d -t d4 -N 44 "$out/qxgssconfig.bin"
echo
if [ -x build/native/framework/config/qxgssdump ]; then
  echo "\$ qxgssdump $out/qxgssconfig.bin   (what the framework will read)"
  build/native/framework/config/qxgssdump "$out/qxgssconfig.bin"
fi

if [ -x scripts/demo-dirscout.sh ] && [ -x build/native/tools/dirscout/dirscout ]; then
  echo
  scripts/demo-dirscout.sh build/native/tools/dirscout/dirscout "$out/qxgssconfig.bin"
fi
