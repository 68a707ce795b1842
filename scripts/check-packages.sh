#!/bin/sh
# Makes the Debian packages of the release build (cpack), unpacks them into a
# temporary root as a user's machine would hold them, and builds and runs the
# host program of examples/host against that root twice: through the CMake
# package and through the pkg-config file. The tool's man page must render.
#   scripts/check-packages.sh [BUILD_DIR]   (default: build/release)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset release -S "$root" -B "$build" >/dev/null
fi
cmake --build "$build" --target OrvaMat orvamat orvamat_man -j2
if grep -q '^OrvaMatDialogs' "$build/CMakeCache.txt" 2>/dev/null || [ -f "$build/libOrvaMatDialogs.so" ]; then
  cmake --build "$build" --target OrvaMatDialogs -j2
fi
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/debs" >/dev/null)
for deb in "$work"/debs/*.deb; do
  echo "check-packages: $(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)" \
    "depends: $(dpkg-deb -f "$deb" Depends)"
  dpkg-deb -x "$deb" "$work/root"
done

libdir=$(cd "$work/root/usr" && dirname "$(find . -name 'libOrvaMat.so.*' | head -n 1)")
export LD_LIBRARY_PATH="$work/root/usr/$libdir"
export ORVAMAT_HOME="$work/home" ORVAMAT_LANGUAGE=
mkdir -p "$ORVAMAT_HOME"

# Through the CMake package.
cmake -S "$root/examples/host" -B "$work/host" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$work/root/usr" >/dev/null
cmake --build "$work/host" >/dev/null
"$work/host/orvamat_host" "$work/cmake.mmd"

# Through the pkg-config file.
export PKG_CONFIG_PATH="$work/root/usr/$libdir/pkgconfig"
# shellcheck disable=SC2046
c++ -std=c++20 -o "$work/host-pc" "$root/examples/host/host.cpp" $(pkg-config --cflags --libs orvamat)
"$work/host-pc" "$work/pkgconfig.mmd"

"$work/root/usr/bin/orvamat" find --mmd "$work/pkgconfig.mmd" 'Artikel.Preise' | grep -q 'Artikel.Preise'
# The tool finds the dialogs package's library beside the library's.
if ls "$work/root/usr/$libdir"/libOrvaMatDialogs.so.* >/dev/null 2>&1; then
  QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/orvamat" dialog datasets --mmd "$work/pkgconfig.mmd" \
    --json --screenshot "$work/page.png" | grep -q '"ok":true'
  test -s "$work/page.png"
fi
MANWIDTH=80 man -l "$work/root/usr/share/man/man1/orvamat.1" 2>/dev/null | grep -q 'orvamat import datanorm'
echo "check-packages: ok"
