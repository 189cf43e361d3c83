#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the viewer need, when
# any is missing. Run as root on Debian 12.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev libpng-dev
  libcairo2-dev fonts-dejavu-core fontconfig poppler-utils
  qt6-translations-l10n
  clang libclang-rt-14-dev
  shared-mime-info desktop-file-utils
  tumbler dbus libglib2.0-bin
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
