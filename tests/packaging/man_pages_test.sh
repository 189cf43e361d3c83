#!/usr/bin/env bash
# The man pages render without a warning at 80 columns, and each names every
# command and option that its program's English help names, so that a new
# command or option cannot miss its page.
#   man_pages_test.sh PAGES_DIR NADELWERK_CLI NADELWERK_THUMBNAILER
set -euo pipefail
pages=$1 cli=$2 thumbnailer=$3
status=0
for page in nadelwerk nadelwerk-cli nadelwerk-thumbnailer; do
  warnings=$(MANWIDTH=80 man --warnings -l "$pages/$page.1" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    echo "$page.1 renders with warnings:"
    echo "$warnings"
    status=1
  fi
done

# Whether the page's source names the word as a command or option: in roff
# every hyphen of it is written \-.
names() {
  local source=$1 word=$2
  grep -qF -- "${word//-/\\-}" "$source"
}

help=$(env -u LANGUAGE LC_ALL=C "$cli" --help)
# The commands: the first word of each indented line of the help's
# "commands:" block; the options: every --word and -x of the help.
commands=$(printf '%s\n' "$help" | sed -n '/^commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p' | sort -u)
options=$(printf '%s\n' "$help" | grep -o -- '--[a-z][a-z-]*\|\B-[a-zA-Z]\b' | sort -u)
[ -n "$commands" ] && [ -n "$options" ] || { echo "no commands or options in the help:"; echo "$help"; exit 1; }
for word in $commands $options; do
  if ! names "$pages/nadelwerk-cli.1" "$word"; then
    echo "nadelwerk-cli.1 does not name '$word' of nadelwerk-cli --help"
    status=1
  fi
done
for command in $commands; do
  grep -q "^\.SS \"$command" "$pages/nadelwerk-cli.1" ||
    { echo "nadelwerk-cli.1 has no section for the command '$command'"; status=1; }
done

usage=$(env -u LANGUAGE LC_ALL=C "$thumbnailer" --help)
for word in $(printf '%s\n' "$usage" | grep -o -- '--[a-z][a-z-]*\|\B-[a-zA-Z]\b' | sort -u) --help --version; do
  if ! names "$pages/nadelwerk-thumbnailer.1" "$word"; then
    echo "nadelwerk-thumbnailer.1 does not name '$word'"
    status=1
  fi
done
[ $status = 0 ] && echo "man pages: no warnings; commands $(echo $commands) and options $(echo $options) named"
exit $status
