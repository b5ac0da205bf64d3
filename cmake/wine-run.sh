#!/usr/bin/env bash
# Test emulator of the Windows presets: runs a Windows program under Wine with
# a prefix inside the build folder (QX_WINEPREFIX, else ./wineprefix above the
# program's folder), no debug output and no Mono/Gecko installers.
set -u
if [ -z "${WINEPREFIX:-}" ]; then
  if [ -n "${QX_WINEPREFIX:-}" ]; then
    export WINEPREFIX=$QX_WINEPREFIX
  else
    d=$(cd "$(dirname "$1")" && pwd)
    while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
    export WINEPREFIX="$d/wineprefix"
  fi
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
