#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need,
# where they are missing. Needs root (or sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libgl1-mesa-dev libxcb1-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-apps x11-utils openbox wmctrl python3
  poppler-utils
  clang libfuzzer-14-dev xxd
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
