#!/usr/bin/env bash
# A real thumbnail service runs the installed thumbnailer: tumblerd on a
# private session bus, with the install prefix as its only data folder and a
# temporary cache, is asked over D-Bus for the thumbnails of every design in
# a folder: the examples (PES, DST), the DST example converted by the CLI to
# every other written format, and a real file of each format that only the
# corpus folder has (HUS, VIP, PHC, PHB); each must be stored where every
# file manager looks for it. Where xdg-mime is installed, each file's type as
# the desktop sees it (the installed MIME package) must be ours.
#
#   tumbler_test.sh CMAKE BUILD_DIR MAKE_EXAMPLES CLI [CORPUS]
# Exits 77 (skipped) when tumbler, dbus-run-session or gdbus is missing.
set -euo pipefail

if [ "${1:-}" = --on-bus ]; then
  shift
  designs=$1
  "$TUMBLERD" &
  tumbler=$!
  trap 'kill $tumbler 2>/dev/null || true' EXIT
  name=org.freedesktop.thumbnails.Thumbnailer1
  for _ in $(seq 100); do
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.NameHasOwner "$name" 2>/dev/null | grep -q true && break
    sleep 0.1
  done
  # Every design in the folder, with our type for its extension.
  uris=() types=()
  for file in "$designs"/*; do
    uris+=("'file://$file'")
    types+=("'application/x-${file##*.}'")
  done
  list() { local IFS=,; echo "[$*]"; }
  gdbus call --session --dest "$name" --object-path /org/freedesktop/thumbnails/Thumbnailer1 \
    --method "$name.Queue" "$(list "${uris[@]}")" "$(list "${types[@]}")" normal default 0 >/dev/null
  status=0
  for file in "$designs"/*; do
    uri="file://$file"
    thumb="$XDG_CACHE_HOME/thumbnails/normal/$(printf %s "$uri" | md5sum | cut -d' ' -f1).png"
    for _ in $(seq 300); do
      [ -s "$thumb" ] && break
      sleep 0.1
    done
    if [ ! -s "$thumb" ]; then
      echo "no thumbnail for $uri at $thumb"
      status=1
      continue
    fi
    # A PNG of at most 128 pixels a side, the larger one exactly 128, with
    # the service's own record of the file it shows.
    read -r width height < <(od -An -tu1 -j16 -N8 "$thumb" |
      awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    if [ "$(head -c 8 "$thumb" | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ] ||
       [ "$width" -gt 128 ] || [ "$height" -gt 128 ] ||
       { [ "$width" -ne 128 ] && [ "$height" -ne 128 ]; } ||
       ! grep -aq "Thumb::URI" "$thumb"; then
      echo "bad thumbnail for $uri: ${width}x$height"
      status=1
      continue
    fi
    echo "thumbnail for $uri: ${width}x$height"
  done
  exit $status
fi

cmake=$1 build=$2 make_examples=$3 cli=$4 corpus=${5:-}
TUMBLERD=$(ls /usr/lib/*/tumbler-1/tumblerd 2>/dev/null | head -n1 || true)
if [ -z "$TUMBLERD" ] || ! command -v dbus-run-session >/dev/null || ! command -v gdbus >/dev/null; then
  echo "tumbler, dbus-run-session or gdbus missing (tools/install-deps.sh installs them)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$cmake" --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  exit 1
fi
"$make_examples" "$work/designs"
# The DST example in every written format but DST's own, by our writers.
for ext in $("$cli" --help | sed -n 's/.*convert --to \([a-z0-9|]*\) .*/\1/p' | tr '|' ' '); do
  [ "$ext" = dst ] || "$cli" convert "$work/designs/stern.dst" "$work/designs/stern.$ext" >/dev/null
done
# One real file of each format that only the corpus has.
for ext in hus vip phc phb; do
  real=$(ls "$corpus/$ext"/*."$ext" 2>/dev/null | head -n1 || true)
  if [ -n "$real" ]; then cp "$real" "$work/designs/beispiel.$ext"; else echo "no $ext file in the corpus folder"; fi
done

# The prefix's data first, then the system's own (the service needs its
# MIME database to recognise the PNG it reads back); our own cache and
# settings, so that nothing of this machine's user decides what is found or
# where it goes.
export TUMBLERD
export XDG_DATA_DIRS="$work/prefix/share:/usr/share" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config"
export PATH="$work/prefix/bin:$PATH"
if command -v xdg-mime >/dev/null; then
  for file in "$work/designs"/*; do
    type=$(xdg-mime query filetype "$file")
    echo "$(basename "$file"): $type"
    if [ "$type" != "application/x-${file##*.}" ]; then
      echo "the desktop takes $(basename "$file") for $type"
      exit 1
    fi
  done
fi
dbus-run-session -- "$0" --on-bus "$work/designs" </dev/null
