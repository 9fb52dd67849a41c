#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
set -euo pipefail
PACKAGES=(
  # build: compilers, and the libraries of the program (libpng only for bench/png_bench)
  build-essential cmake pkg-config libsdl2-dev zlib1g-dev libpng-dev libcairo2-dev libcups2-dev
  # unit tests, benchmarks, fuzzing (clang's fuzzer runtime is only recommended by clang)
  libgtest-dev libbenchmark-dev clang libclang-rt-dev python3
  # peers of the whole-program tests: Xvfb and X tools, ImageMagick, hp2xx, a private CUPS
  # scheduler, PDF and SVG renderers
  xvfb xdotool x11-utils x11-apps imagemagick hp2xx cups poppler-utils librsvg2-bin
  # installation and the Debian package
  dpkg-dev lintian desktop-file-utils shared-mime-info libxml2-utils libglib2.0-bin man-db)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  SUDO=()
  [[ $(id -u) -eq 0 ]] || SUDO=(sudo)
  "${SUDO[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
