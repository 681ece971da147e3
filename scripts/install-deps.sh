#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the viewer need, and any named
# as arguments (for one step of CI); skips what is here.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libxkbcommon-dev libfreetype-dev libpng-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils xdotool imagemagick
  fonts-liberation fonts-liberation2 fonts-dejavu-core fontconfig
  cups cups-client cups-bsd printer-driver-cups-pdf libcups2-dev poppler-utils locales
  dpkg-dev file desktop-file-utils shared-mime-info xdg-utils
  qt6-translations-l10n openbox libglib2.0-bin
  clang libclang-rt-14-dev time util-linux
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
