#!/usr/bin/env bash
# Extracts the messages of the sources in po/POTFILES into po/nadelwerk.pot
# and merges it into every language's .po (new texts arrive untranslated, for
# the translator; the ctest po_catalogues fails until they are translated).
set -euo pipefail
cd "$(dirname "$0")/.."
po/extract.sh po/nadelwerk.pot
while read -r language; do
  case $language in ''|\#*) continue ;; esac
  msgmerge --quiet --update --backup=none --no-fuzzy-matching --add-location=file \
    "po/$language.po" po/nadelwerk.pot
done <po/LINGUAS
