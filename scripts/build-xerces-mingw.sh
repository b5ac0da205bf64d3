#!/usr/bin/env bash
# Cross-builds the static Xerces-C library for MinGW-w64 from Debian's source
# package into CACHE/xerces-ARCH (include/ and lib/). Reused when present.
# Only the library target is built; the network accessor is left out.
set -euo pipefail

arch=${1:?usage: build-xerces-mingw.sh i686|x86_64 CACHE}
cache=${2:?usage: build-xerces-mingw.sh i686|x86_64 CACHE}
prefix="$cache/xerces-$arch"
triple="$arch-w64-mingw32"
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"

if [ -f "$prefix/lib/libxerces-c.a" ] && [ -f "$prefix/include/xercesc/util/XercesVersion.hpp" ]; then
  exit 0
fi

echo "setup: cross-building Xerces-C for $triple into $prefix"
src_list=/etc/apt/sources.list.d/qx-deb-src.sources
if ! apt-get source --print-uris xerces-c >/dev/null 2>&1; then
  if [ ! -f "$src_list" ]; then
    # deb-src lines for the suites the machine already uses.
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] && [ "$f" != "$src_list" ] || continue
      sed -n '/^Types:/,/^$/p' "$f" | sed 's/^Types:.*/Types: deb-src/'
      echo
    done | $sudo tee "$src_list" >/dev/null
    if [ -f /etc/apt/sources.list ]; then
      grep -E '^deb ' /etc/apt/sources.list | grep -v cloud.google | sed 's/^deb /deb-src /' | $sudo tee -a /etc/apt/sources.list.d/qx-deb-src.list >/dev/null || true
    fi
  fi
  $sudo apt-get update -q
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -q --download-only xerces-c >/dev/null && dpkg-source -x --skip-patches ./*.dsc src >/dev/null)
(cd "$work/src" && for p in $(cat debian/patches/series 2>/dev/null | grep -v '^#'); do patch -p1 -s < "debian/patches/$p"; done)

cmake -S "$work/src" -B "$work/build" -G Ninja \
  -DCMAKE_SYSTEM_NAME=Windows \
  -DCMAKE_C_COMPILER="$triple-gcc-posix" \
  -DCMAKE_CXX_COMPILER="$triple-g++-posix" \
  -DCMAKE_RC_COMPILER="$triple-windres" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=OFF \
  -Dnetwork=OFF \
  -Dtranscoder=windows \
  -Dmessage-loader=inmemory \
  -Dxmlch-type=uint16_t \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" --target xerces-c >"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; exit 1; }
# Install only what the library needs: the static archive and the headers.
rm -rf "$prefix.tmp" && mkdir -p "$prefix.tmp/lib" "$prefix.tmp/include"
cp "$(find "$work/build" -name 'libxerces-c*.a' | head -1)" "$prefix.tmp/lib/libxerces-c.a"
(cd "$work/src/src" && find xercesc \( -name '*.hpp' -o -name '*.c' \) -exec cp --parents {} "$prefix.tmp/include" \;)
(cd "$work/build/src" && find xercesc -name '*.hpp' -exec cp --parents {} "$prefix.tmp/include" \;)
rm -rf "$prefix" && mv "$prefix.tmp" "$prefix"
echo "setup: Xerces-C for $triple ready"
