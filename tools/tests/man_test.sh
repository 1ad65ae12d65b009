#!/usr/bin/env bash
# The manual pages render without a warning and hold the sections a reader
# looks for. Without groff the test is skipped (exit status 77).
#
#   man_test.sh SOURCE_DIR
set -u
pages="$1/man"
if ! command -v groff > /dev/null; then
  echo "SKIP: groff is not installed (Debian: groff-base): the manual pages are not rendered"
  exit 77
fi
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"

for name in ipdlogic ipdlogic-explain ipdlogic-lab ipdlogic-plot; do
  page="$pages/$name.1"
  [ -f "$page" ] || { fail "$name: no manual page"; continue; }
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1) || fail "$name: groff failed"
  [ -z "$warnings" ] || fail "$name: groff warns: $warnings"
  if command -v man > /dev/null; then
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null) || fail "$name: man -l failed"
    [ -z "$warnings" ] || fail "$name: man -l warns: $warnings"
  fi
  text=$(MANWIDTH=80 groff -man -Tascii -P-c -P-b -P-u "$page" 2> /dev/null)
  for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" EXAMPLES "SEE ALSO"; do
    grep -q "^$section\$" <<< "$text" || fail "$name: no $section section"
  done
done

text=$(groff -man -Tascii -P-c -P-b -P-u "$pages/ipdlogic.1" 2> /dev/null)
for section in OPTIONS "STANDARD INPUT" "FORMULA FILES" NOTATION OUTPUT; do
  grep -q "^$section\$" <<< "$text" || fail "ipdlogic: no $section section"
done
for option in "-s seed" "-e" "-r"; do
  grep -q "^       $option" <<< "$text" || fail "ipdlogic: option $option not described"
done

finish "all manual pages render cleanly"
