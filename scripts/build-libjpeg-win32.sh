#!/usr/bin/env bash
# Cross-builds the pinned libjpeg-turbo (Debian's source package, the same
# version as the native side) for i686 Windows, into a cache in the build tree.
# Usage: build-libjpeg-win32.sh CACHE_DIR   (prints nothing when cached)
set -euo pipefail
VERSION=2.1.5
DEBVERSION=1:2.1.5-2
CACHE=$(realpath -m "${1:?cache folder}")
PREFIX=$CACHE/libjpeg-turbo-$VERSION-win32
HERE=$(cd "$(dirname "$0")/.." && pwd)

[ -f "$PREFIX/lib/libjpeg.a" ] && [ -f "$PREFIX/include/jpeglib.h" ] && exit 0

mkdir -p "$CACHE/src"
cd "$CACHE/src"
if [ ! -f "libjpeg-turbo_$VERSION.orig.tar.gz" ]; then
  apt-get source --download-only "libjpeg-turbo=$DEBVERSION" >/dev/null 2>&1 ||
    { echo "build-libjpeg-win32: cannot fetch libjpeg-turbo $DEBVERSION source (run scripts/setup.sh)" >&2; exit 1; }
fi
rm -rf "libjpeg-turbo-$VERSION" build
tar xzf "libjpeg-turbo_$VERSION.orig.tar.gz"
cmake -S "libjpeg-turbo-$VERSION" -B build -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$HERE/cmake/mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
  -DWITH_JPEG8=OFF -DWITH_ARITH_DEC=ON -DWITH_ARITH_ENC=ON -DREQUIRE_SIMD=ON >build.log 2>&1 ||
  { cat build.log >&2; exit 1; }
cmake --build build >>build.log 2>&1 || { tail -40 build.log >&2; exit 1; }
cmake --install build >>build.log 2>&1
# The install puts a few programs there too; only the library and headers matter.
rm -rf "$PREFIX/bin" "$PREFIX/share"
echo "libjpeg-turbo $VERSION for win32 built into $PREFIX"
