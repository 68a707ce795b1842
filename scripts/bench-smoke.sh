#!/usr/bin/env bash
# Builds the release configuration and runs each benchmark once, briefly.
set -euo pipefail
# The dialogs' benchmark draws off screen.
export QT_QPA_PLATFORM=offscreen
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release
for exe in build/release/bench/*_bench; do
  [ -x "$exe" ] || continue
  echo "bench: $(basename "$exe")"
  "$exe" --benchmark_min_time=0.01
done
