#!/usr/bin/env bash
# po/nadelwerk.pot holds exactly the texts that the sources of po/POTFILES
# give Tr and TrLater, po/window/nadelwerk-window.pot those that the sources
# of po/window/POTFILES give WindowWords and WindowWordsLater, and every
# language of each folder's LINGUAS translates all of its template (fuzzy
# entries count as untranslated). tools/update-po.sh brings the templates
# and the catalogues up to date; a translator fills in the rest.
#   catalogues_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
# check FOLDER TEMPLATE [EXTRACT OPTION]
check() {
  local folder=$source_dir/$1 template=$source_dir/$1/$2
  shift 2
  if ! "$source_dir/po/extract.sh" "$@" "$work/sources.pot"; then
    echo "the texts of the sources could not be extracted for $template"
    status=1
    return
  fi
  # msgcmp DEF REF: every text of REF is in DEF.
  if ! msgcmp --use-untranslated "$template" "$work/sources.pot"; then
    echo "$template lacks texts of the sources: run tools/update-po.sh"
    status=1
  fi
  if ! msgcmp --use-untranslated "$work/sources.pot" "$template"; then
    echo "$template has texts that the sources no longer give: run tools/update-po.sh"
    status=1
  fi
  while read -r language; do
    case $language in '' | \#*) continue ;; esac
    if ! msgcmp "$folder/$language.po" "$template"; then
      echo "$folder/$language.po does not translate every text"
      status=1
    fi
    if ! msgfmt --check -o /dev/null "$folder/$language.po"; then
      status=1
    fi
  done <"$folder/LINGUAS"
}
check po nadelwerk.pot
check po/window nadelwerk-window.pot --window
[ $status = 0 ] && echo "catalogues: the templates are current and every language translates them"
exit $status
