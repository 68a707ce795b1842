#!/usr/bin/env bash
# Builds the release configuration and runs the main job of the orvamat tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target orvamat
build/release/cli/orvamat demo

