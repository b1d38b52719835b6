#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config
      qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-translations-l10n libgl-dev libjpeg-dev
      libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
      libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
      clang libclang-rt-14-dev
      xvfb xauth xdotool xclip imagemagick python3 fonts-liberation fonts-dejavu-core parallel
      g++-mingw-w64-x86-64 wine wine64)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
