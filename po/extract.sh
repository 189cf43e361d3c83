#!/usr/bin/env bash
# The messages of the sources in po/POTFILES as a template, or with --window
# the window's German texts of the sources in po/window/POTFILES:
#   po/extract.sh [--window] OUT.pot
# Run from anywhere; used by tools/update-po.sh and by the ctest that checks
# that the templates hold what the sources say.
set -euo pipefail
folder=po keywords=(--keyword=Tr --keyword=TrLater) title="the Nadelwerk command-line programs"
if [ "$1" = --window ]; then
  folder=po/window keywords=(--keyword=WindowWords --keyword=WindowWordsLater) title="the Nadelwerk window"
  shift
fi
out=$(realpath -m "$1")
cd "$(dirname "$0")/.."
# Reports about the texts go where reports about the package go.
bugs=$(sed -n 's/^Maintainer:.*<\(.*\)>.*/\1/p' debian/control)
grep -v '^#' "$folder/POTFILES" | grep . |
  xgettext --files-from=- --output="$out" --language=C++ --from-code=UTF-8 \
    "${keywords[@]}" --add-comments=TRANSLATORS: --add-location=file \
    --package-name=nadelwerk --msgid-bugs-address="$bugs" \
    --copyright-holder="The Nadelwerk developers" --sort-by-file
sed -i "1s/.*/# The messages of $title./" "$out"
