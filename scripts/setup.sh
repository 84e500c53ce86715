#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks (only when missing), then
# configures and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-translations-l10n
  libsndfile1-dev libasound2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  poppler-utils
  dpkg-dev file desktop-file-utils
  python3 clang-format
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake_args=(-S . -B build -G Ninja)
[ "${CI:-}" = "true" ] && cmake_args+=(-DWARNINGS_AS_ERRORS=ON)
cmake "${cmake_args[@]}" >/dev/null
cmake --build build -j "$(nproc)"
