#!/usr/bin/env bash
# Installs what building, testing, fuzzing and benchmarking need, from
# Debian's packages. Idempotent: apt-get runs only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
  libcli11-dev libmd-dev nlohmann-json3-dev
  libzip-dev libexpat1-dev libfreexl-dev libxlsxwriter-dev
  python3-openpyxl
  clang-14 libclang-rt-14-dev clang-format-14
  gfortran
  help2man man-db
  qt6-base-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
