#!/bin/sh
# Installs the release build into a temporary prefix, builds the host program
# of examples/host against the installed package (find_package(OrvaMat)),
# runs it, and asks the installed orvamat tool about the dataset it saved.
#   scripts/check-install.sh [BUILD_DIR]   (default: build/release)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset release -S "$root" -B "$build" >/dev/null
fi
cmake --build "$build" --target OrvaMat orvamat -j2
cmake --install "$build" --prefix "$work/prefix" >/dev/null

cmake -S "$root/examples/host" -B "$work/host" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/host" >/dev/null

export ORVAMAT_HOME="$work/home" ORVAMAT_LANGUAGE=
export LD_LIBRARY_PATH="$work/prefix/lib:$work/prefix/lib64${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
mkdir -p "$ORVAMAT_HOME"
"$work/host/orvamat_host" "$work/muster.mmd"

tool="$work/prefix/bin/orvamat"
"$tool" find --mmd "$work/muster.mmd" 'Artikel.Preise' | grep -q 'MUST\\Artikel.Preise'
"$tool" get --mmd "$work/muster.mmd" 'Artikel.KurzText' KH-15 | grep -q 'Kugelhahn;DN 15'
"$tool" get --json --mmd "$work/muster.mmd" 'MUST\Artikel.Anschluss' KH-15 | grep -q 'Rp 1/2'
if "$tool" find --mmd "$work/muster.mmd" 'Artikel.Fehlt' 2>/dev/null; then
  echo "check-install: a missing table was found" >&2
  exit 1
fi
echo "check-install: ok"
