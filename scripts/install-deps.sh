#!/usr/bin/env bash
# Installs what building, running and testing Tavelo needs on Debian 12.
# Only missing packages are installed, so a second run costs a few dpkg queries.
set -euo pipefail

packages=(
  build-essential cmake ccache
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-translations-l10n qt6-svg-dev
  libgl-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-ipamj-mincho
  xvfb xauth xdotool imagemagick poppler-utils
  pkg-config libqrencode-dev libqpdf-dev zlib1g-dev libdeflate-dev libpng-dev zbar-tools
  ghostscript qpdf
  libharfbuzz-dev libicu-dev
  librsvg2-bin desktop-file-utils xdg-utils appstream shared-mime-info dpkg-dev file
)
if [ "${TAVELO_WITH_CLANG:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then sudo="sudo"; else
    echo "Missing packages (${missing[*]}) and no root rights: install them as root." >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
