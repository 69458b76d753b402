#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo till need, when any is missing.
set -euo pipefail
pkgs=(build-essential cmake pkg-config dpkg-dev file clang-format qt6-base-dev qt6-base-dev-tools libgl-dev
      libqt6sql6-sqlite libqt6sql6-psql qt6-translations-l10n postgresql libgtest-dev libbenchmark-dev
      xvfb xauth fonts-dejavu-core fonts-liberation util-linux)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
