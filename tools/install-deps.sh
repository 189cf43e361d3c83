#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the viewer need, when
# any is missing, and the German locale the message tests run under. Run as
# root on Debian 12. tools/package.sh installs the package build's own tools.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev libpng-dev
  libcairo2-dev fonts-dejavu-core fontconfig poppler-utils
  qt6-translations-l10n
  clang libclang-rt-14-dev
  shared-mime-info desktop-file-utils appstream
  tumbler dbus libglib2.0-bin
  gettext locales librsvg2-bin man-db groff-base bash-completion
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

# The command-line programs speak German under a German locale: the tests
# need one. Debian builds the locales listed in /etc/locale.gen.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8'; then
  echo "generating the locale de_DE.UTF-8"
  if grep -q '^[# ]*de_DE.UTF-8 UTF-8' /etc/locale.gen; then
    sed -i 's/^[# ]*\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  else
    echo 'de_DE.UTF-8 UTF-8' >>/etc/locale.gen
  fi
  locale-gen
fi
