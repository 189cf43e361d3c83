#!/usr/bin/env bash
# po/nadelwerk.pot holds exactly the texts that the sources of po/POTFILES
# give Tr and TrLater, and every language of po/LINGUAS translates all of
# them (fuzzy entries count as untranslated). tools/update-po.sh brings a
# template and the catalogues up to date; a translator fills in the rest.
#   catalogues_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$source_dir/po/extract.sh" "$work/sources.pot"; then
  echo "the texts of the sources could not be extracted"
  exit 1
fi
status=0
# msgcmp DEF REF: every text of REF is in DEF.
if ! msgcmp --use-untranslated "$source_dir/po/nadelwerk.pot" "$work/sources.pot"; then
  echo "po/nadelwerk.pot lacks texts of the sources: run tools/update-po.sh"
  status=1
fi
if ! msgcmp --use-untranslated "$work/sources.pot" "$source_dir/po/nadelwerk.pot"; then
  echo "po/nadelwerk.pot has texts that the sources no longer give: run tools/update-po.sh"
  status=1
fi
while read -r language; do
  case $language in '' | \#*) continue ;; esac
  if ! msgcmp "$source_dir/po/$language.po" "$source_dir/po/nadelwerk.pot"; then
    echo "po/$language.po does not translate every text"
    status=1
  fi
  if ! msgfmt --check -o /dev/null "$source_dir/po/$language.po"; then
    status=1
  fi
done <"$source_dir/po/LINGUAS"
[ $status = 0 ] && echo "catalogues: the template is current and every language translates it"
exit $status
