#!/usr/bin/env bash
# Installs the built package on this machine, uses it as a user would, and
# purges it again, checking that nothing of it stays behind:
#   tools/check-package-install.sh DEB [MAKE_EXAMPLES]
# DEB from tools/package.sh; MAKE_EXAMPLES (default build/tools/make-examples)
# writes the designs. Changes the system for a while: run as root, by hand,
# never from CI. The package must not be installed before.
set -euo pipefail
deb=$(realpath "$1")
make_examples=$(realpath "${2:-build/tools/make-examples}")
cd "$(dirname "$0")/.."
root=$PWD
export DEBIAN_FRONTEND=noninteractive
if dpkg-query -W -f='${Status}' nadelwerk 2>/dev/null | grep -q "install ok installed"; then
  echo "nadelwerk is installed already; remove it first" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== apt install $deb"
apt-get install -y -qq "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
echo "== dpkg -L nadelwerk"
dpkg -L nadelwerk | tee "$work/files"

echo "== the programs from PATH"
command -v nadelwerk nadelwerk-cli nadelwerk-thumbnailer
nadelwerk-cli --version
env -u LANGUAGE -u LC_ALL LANG=de_DE.UTF-8 nadelwerk-cli --help | head -n 1
env -u LANGUAGE -u LC_ALL LANG=C nadelwerk-cli --help | head -n 1

echo "== man nadelwerk-cli"
MANWIDTH=80 man nadelwerk-cli 2>&1 | head -n 8
for page in nadelwerk nadelwerk-cli nadelwerk-thumbnailer; do
  man -w "$page"
done

echo "== the MIME database and the desktop entry"
"$make_examples" "$work/designs" >/dev/null
for f in "$work"/designs/*; do
  printf '%s: %s\n' "$(basename "$f")" "$(gio info -a standard::content-type "$f" | sed -n 's/.*content-type: //p')"
done
grep -h nadelwerk /usr/share/applications/mimeinfo.cache | head -n 3 || echo "no mimeinfo.cache entry"

echo "== thumbnails through tumbler, from the installed entry and program"
TUMBLERD=$(ls /usr/lib/*/tumbler-1/tumblerd | head -n1)
export TUMBLERD XDG_DATA_DIRS=/usr/share XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config"
dbus-run-session -- bash "$root/tests/tumbler_test.sh" --on-bus "$work/designs" </dev/null

# Whether anything of the package is left: a listed file, a folder no other
# package owns, or an entry in the caches that the triggers keep.
left_behind() {
  local left=0 path
  while read -r path; do
    [ -e "$path" ] && [ "$path" != /. ] || continue
    if [ -d "$path" ] && dpkg -S "$path" >/dev/null 2>&1; then continue; fi
    echo "left behind: $path"
    left=1
  done <"$work/files"
  if grep -qs nadelwerk /usr/share/applications/mimeinfo.cache; then
    echo "left behind: nadelwerk in /usr/share/applications/mimeinfo.cache"; left=1
  fi
  if grep -qs 'application/x-pes' /usr/share/mime/types; then
    echo "left behind: application/x-pes in /usr/share/mime/types"; left=1
  fi
  if man -w nadelwerk-cli >/dev/null 2>&1; then
    echo "left behind: the man page nadelwerk-cli"; left=1
  fi
  hash -r
  if command -v nadelwerk-cli >/dev/null; then
    echo "left behind: nadelwerk-cli on PATH"; left=1
  fi
  [ $left = 0 ] && echo "nothing of the package is left: no listed file, no cache entry, no man page"
  return $left
}

status=0
echo "== apt remove"
apt-get remove -y -qq nadelwerk >"$work/remove.log" 2>&1 || { cat "$work/remove.log"; exit 1; }
dpkg-query -W -f='${Status}\n' nadelwerk 2>/dev/null || echo "dpkg knows no nadelwerk any more"
left_behind || status=1
echo "== apt install again, then apt purge"
apt-get install -y -qq "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
apt-get purge -y -qq nadelwerk >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; exit 1; }
dpkg-query -W -f='${Status}\n' nadelwerk 2>/dev/null || echo "dpkg knows no nadelwerk any more"
left_behind || status=1
exit $status
