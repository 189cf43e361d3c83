#!/usr/bin/env bash
# The bash completion of nadelwerk-cli offers what the program takes: its
# commands and options as its English help lists them, the written formats
# after --to, and files by the extensions each command reads or writes.
#   completion_test.sh COMPLETION_FILE NADELWERK_CLI
set -uo pipefail
completion=$1 cli=$2
framework=/usr/share/bash-completion/bash_completion
if [ ! -r "$framework" ]; then
  echo "$framework missing (Debian: bash-completion; tools/install-deps.sh installs it)"
  exit 1
fi
# shellcheck source=/dev/null
source "$framework"
# shellcheck source=/dev/null
source "$completion"

# What the completion offers for the command line "nadelwerk-cli WORD...",
# the last word the one being completed; sorted, on one line.
offers() {
  COMP_WORDS=(nadelwerk-cli "$@")
  COMP_CWORD=$#
  COMP_LINE="nadelwerk-cli $*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _nadelwerk_cli nadelwerk-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

status=0
expect() {
  local what=$1 want=$2 got=$3
  if [ "$got" != "$want" ]; then
    echo "$what: offers '$got', expected '$want'"
    status=1
  fi
}

help=$(env -u LANGUAGE LC_ALL=C "$cli" --help)
words() { tr ' ' '\n' | grep . | sort | tr '\n' ' ' | sed 's/ $//'; }
commands=$(printf '%s\n' "$help" | sed -n '/^commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p' | sort -u)
top_options=$(printf '%s\n' "$help" | sed -n 's/^  \(--[a-z-]*\) .*/\1/p')
expect "the first word" "$(echo $commands $top_options | words)" "$(offers '')"
render_options=$(printf '%s\n' "$help" | grep '^  render ' | grep -o -- '--[a-z][a-z-]*')
expect "render's options" "$(echo $render_options | words)" "$(offers render a.pes b.png --)"
convert_options=$(printf '%s\n' "$help" | grep '^  convert ' | grep -o -- '--[a-z][a-z-]*\|\B-[a-z]\b' | sort -u)
expect "convert's options" "$(echo $convert_options | words)" "$(offers convert -)"
written=$(printf '%s\n' "$help" | sed -n 's/.*convert --to \([a-z0-9|]*\) .*/\1/p' | tr '|' ' ')
expect "the formats after --to" "$(echo $written | words)" "$(offers convert --to '')"
expect "render's zoom" "100 125 150 200 300" "$(offers render a.pes b.png --zoom '')"

# Files: designs in any case, pictures, folders; nothing else.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir folder
touch blume.pes STERN.DST rose.pcs notes.txt picture.png drawing.svg sheet.pdf
expect "info's files" "STERN.DST blume.pes folder rose.pcs" "$(offers info '')"
expect "a second file of info" "STERN.DST blume.pes folder rose.pcs" "$(offers info blume.pes '')"
expect "dump's file" "STERN.DST blume.pes folder rose.pcs" "$(offers dump '')"
expect "nothing after dump's file" "" "$(offers dump blume.pes '')"
expect "render's picture" "drawing.svg folder picture.png sheet.pdf" "$(offers render blume.pes '')"
expect "render's picture after an option" "drawing.svg folder picture.png sheet.pdf" "$(offers render --zoom 200 blume.pes '')"
# The three designs' formats are all written.
expect "convert's output" "STERN.DST blume.pes folder rose.pcs" "$(offers convert blume.pes '')"
expect "sheet's file" "STERN.DST blume.pes folder rose.pcs" "$(offers sheet '')"
expect "sheet's PDF" "folder sheet.pdf" "$(offers sheet blume.pes '')"
expect "sheet's paper" "a4 letter" "$(offers sheet blume.pes x.pdf --paper '')"
expect "sheet's options" "--paper" "$(offers sheet blume.pes x.pdf --)"
expect "convert's folder" "folder" "$(offers convert --to dst -o '')"
expect "convert's inputs into a folder" "STERN.DST blume.pes folder rose.pcs" "$(offers convert --to dst -o folder blume.pes '')"
[ $status = 0 ] && echo "completion: commands, options, formats and files as nadelwerk-cli takes them"
exit $status
