#!/usr/bin/env bash
# The messages of the sources in po/POTFILES as a template:
#   po/extract.sh OUT.pot
# Run from anywhere; used by tools/update-po.sh and by the ctest that checks
# that po/nadelwerk.pot holds what the sources say.
set -euo pipefail
out=$(realpath -m "$1")
cd "$(dirname "$0")/.."
# Reports about the texts go where reports about the package go.
bugs=$(sed -n 's/^Maintainer:.*<\(.*\)>.*/\1/p' debian/control)
grep -v '^#' po/POTFILES | grep . |
  xgettext --files-from=- --output="$out" --language=C++ --from-code=UTF-8 \
    --keyword=Tr --keyword=TrLater --add-comments=TRANSLATORS: --add-location=file \
    --package-name=nadelwerk --msgid-bugs-address="$bugs" \
    --copyright-holder="The Nadelwerk developers" --sort-by-file
sed -i '1s/.*/# The messages of the Nadelwerk command-line programs./' "$out"
