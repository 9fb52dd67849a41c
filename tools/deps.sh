#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
set -euo pipefail
PACKAGES=(build-essential cmake pkg-config clang libsdl2-dev zlib1g-dev libpng-dev libcairo2-dev
          libcups2-dev cups libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool x11-utils
          x11-apps imagemagick hp2xx poppler-utils python3
          librsvg2-bin dpkg-dev lintian desktop-file-utils shared-mime-info
          libxml2-utils libglib2.0-bin man-db)
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
