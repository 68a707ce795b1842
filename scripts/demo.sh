#!/usr/bin/env bash
# Builds the release configuration and runs the main job of the orvamat tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target orvamat
build/release/cli/orvamat demo

# DATANORM: the bundled example catalogue (both versions) into a new dataset,
# then a few of its articles. Settings go to a folder of the build, so that the
# user's own list of datasets is left alone.
if build/release/cli/orvamat import datanorm --help >/dev/null 2>&1; then
  export ORVAMAT_HOME="$PWD/build/release/demo-home"
  rm -f build/release/beispiel.mmd
  build/release/cli/orvamat import datanorm examples/datanorm/beispiel.wrg \
    examples/datanorm/beispiel.001 examples/datanorm/beispiel5.001 \
    --mmd build/release/beispiel.mmd --id BSPL --dos
  for article in TV-15-E RL-15 UP-25-60; do
    build/release/cli/orvamat article --mmd build/release/beispiel.mmd "$article"
  done
fi
