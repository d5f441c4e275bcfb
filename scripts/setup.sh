#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run; only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev libjsoncpp-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  xvfb xauth fonts-dejavu-core
  # The interface's faces: Noto Sans (Latin and the default), Noto Sans Thai, Noto Sans CJK (Chinese,
  # Japanese, Korean). Qt finds them by family through fontconfig; without them CJK text shows as boxes.
  fonts-noto-core fonts-noto-cjk
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

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
