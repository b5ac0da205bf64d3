#!/usr/bin/env bash
# Idempotent machine set-up: installs the Debian packages the builds need and
# cross-builds Xerces-C for MinGW (i686) into a cache outside the source tree.
# On a machine that has everything it changes nothing.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${QX_DEPS_CACHE:-/var/cache/qx-deps}
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"

packages=(
  cmake ninja-build g++ pkg-config
  libxerces-c-dev libutfcpp-dev googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 wine32:i386
  clang libclang-rt-14-dev
  libxml2-utils dpkg-dev patch python3
  krb5-kdc krb5-admin-server krb5-user libkrb5-dev iproute2
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Xerces-C for MinGW i686, built once from Debian's own source package.
"$here/scripts/build-xerces-mingw.sh" i686 "$cache"
