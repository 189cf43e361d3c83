#!/usr/bin/env bash
# Extracts the messages of the sources in po/POTFILES into po/nadelwerk.pot,
# and the window's texts of those in po/window/POTFILES into
# po/window/nadelwerk-window.pot, and merges each template into every
# language's .po beside it (new texts arrive untranslated, for the
# translator; the ctest message_catalogues fails until they are translated).
set -euo pipefail
cd "$(dirname "$0")/.."
merge() {
  local folder=$1 template=$2
  while read -r language; do
    case $language in '' | \#*) continue ;; esac
    msgmerge --quiet --update --backup=none --no-fuzzy-matching --add-location=file \
      "$folder/$language.po" "$template"
  done <"$folder/LINGUAS"
}
po/extract.sh po/nadelwerk.pot
merge po po/nadelwerk.pot
po/extract.sh --window po/window/nadelwerk-window.pot
merge po/window po/window/nadelwerk-window.pot
