#!/usr/bin/env bash
# Builds the Debian package and checks it: installs the tools and the build
# dependencies of debian/control that are missing, builds the package from a
# clean copy of the source tree in build-deb/ (dpkg-buildpackage puts its
# results beside the tree it builds), runs lintian on it, and prints the
# path of the .deb as its last line. Run as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

tools=(dpkg-dev debhelper fakeroot lintian)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}" >&2
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
if ! dpkg-checkbuilddeps 2>/dev/null; then
  echo "installing the build dependencies of debian/control" >&2
  apt-get update -qq
  apt-get build-dep -y -qq --no-install-recommends "$root" >&2
fi

# The version: project() in CMakeLists.txt, which the changelog must name.
cmake -DROOT="$root" -P cmake/check_changelog.cmake >&2
version=$(dpkg-parsechangelog -l debian/changelog -S Version)
arch=$(dpkg --print-architecture)

# A copy of what the repository holds, without build trees and fuzz output,
# so that nothing of an earlier build leaks into the package.
out=$root/build-deb
rm -rf "$out"
mkdir -p "$out/nadelwerk-$version"
tar -C "$root" --exclude='./build*' --exclude=./.git --exclude=./fuzz/findings \
  --exclude=./fuzz/corpus-run -cf - . | tar -C "$out/nadelwerk-$version" -xf -

# Two jobs unless the caller asks otherwise: the machine's two cores.
export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-parallel=2}
# The source package as well, so that lintian sees debian/ as a source too.
(cd "$out/nadelwerk-$version" && dpkg-buildpackage -us -uc) >"$out/build.log" 2>&1 || {
  tail -n 60 "$out/build.log" >&2
  echo "package build failed; the whole log is $out/build.log" >&2
  exit 1
}
deb=$out/nadelwerk_${version}_${arch}.deb
[ -f "$deb" ] || { echo "no $deb after the build" >&2; exit 1; }

# Errors and warnings fail; an override needs its reason beside it
# (debian/nadelwerk.lintian-overrides). The .changes names the source and
# the .deb.
lintian --fail-on error,warning --display-info "$out/nadelwerk_${version}_${arch}.changes" >&2
echo "lintian: no errors, no warnings" >&2

# What lintian cannot know: that the package holds every piece, and that the
# programs in it run, speak German from the package's own catalogue and
# print the window's texts in English under the C locale.
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in bin/nadelwerk bin/nadelwerk-cli bin/nadelwerk-thumbnailer \
  share/man/man1/nadelwerk.1.gz share/man/man1/nadelwerk-cli.1.gz \
  share/man/man1/nadelwerk-thumbnailer.1.gz share/applications/nadelwerk.desktop \
  share/mime/packages/nadelwerk.xml share/thumbnailers/nadelwerk.thumbnailer \
  share/metainfo/org.nadelwerk.Nadelwerk.metainfo.xml share/bash-completion/completions/nadelwerk-cli \
  share/locale/de/LC_MESSAGES/nadelwerk.mo share/locale/en/LC_MESSAGES/nadelwerk-window.mo \
  share/icons/hicolor/scalable/apps/nadelwerk.svg \
  share/icons/hicolor/48x48/apps/nadelwerk.png; do
  grep -qx "./usr/$f" <<<"$contents" || { echo "$deb lacks /usr/$f" >&2; exit 1; }
done
unpacked=$out/unpacked
dpkg-deb -x "$deb" "$unpacked"
for program in nadelwerk-cli nadelwerk-thumbnailer; do
  [ "$("$unpacked/usr/bin/$program" --version)" = "$program $version" ] ||
    { echo "the package's $program does not say its version $version" >&2; exit 1; }
done
if locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8'; then
  env -u LANGUAGE -u LC_ALL LANG=de_DE.UTF-8 "$unpacked/usr/bin/nadelwerk-cli" --help | grep -q '^Aufruf:' ||
    { echo "the package's nadelwerk-cli does not speak German under de_DE.UTF-8" >&2; exit 1; }
fi
# The window's German texts in English from the package's catalogue.
said=$(env -u LANGUAGE -u LC_ALL LANG=C "$unpacked/usr/bin/nadelwerk-cli" info "$out/none.dst" 2>&1 || true)
[ "$said" = "nadelwerk-cli: $out/none.dst: $out/none.dst was not found." ] ||
  { echo "the package's nadelwerk-cli does not report a missing file in English under C" >&2; exit 1; }
echo "package: every piece in it, its programs run" >&2
echo "$deb"
