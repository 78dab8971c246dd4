#!/usr/bin/env bash
# Every option a program's --help names is in its manual page, and the page
# names no option the program does not have; --version prints the release.
#   man_options.sh VERSION MANDIR NAME=PROGRAM...
set -uo pipefail
version=$1 mandir=$2
shift 2
export LC_ALL=C.UTF-8 MANWIDTH=200

# The options written in a text: a dash or two and a letter, at the start of
# a word (so 8-bit, A-Z and FILE:LINE are not options).
options() {
  grep -oE '(^|[^A-Za-z0-9_-])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[^-]*//' | sort -u
}

failed=0
for pair in "$@"; do
  name=${pair%%=*} program=${pair#*=}
  page="$mandir/$name.1"
  if ! help=$("$program" --help); then
    echo "FAIL $name: --help failed"; failed=1; continue
  fi
  rendered=$(man -E ascii -l "$page" 2>&1 >/dev/null)
  if [ -n "$rendered" ]; then
    echo "FAIL $name: man warns:"; echo "$rendered"; failed=1
  fi
  from_help=$(options <<<"$help")
  # From the source, whose words the rendering may break across lines.
  from_page=$(sed -E 's/\\-/-/g; s/\\f[BIRP]//g; s/\\\(..//g' "$page" | options)
  if [ "$from_help" != "$from_page" ] || [ -z "$from_help" ]; then
    echo "FAIL $name: options of --help and of $page differ (< help, > page):"
    diff <(echo "$from_help") <(echo "$from_page")
    failed=1
  else
    echo "$name: $(wc -w <<<"$from_help") options agree"
  fi
  got=$("$program" --version)
  if [ "$got" != "$name $version" ]; then
    echo "FAIL $name: --version printed '$got', not '$name $version'"; failed=1
  fi
done
exit $failed
