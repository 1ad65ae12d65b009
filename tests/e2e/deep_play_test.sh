#!/usr/bin/env bash
# Formula files 200,000 levels deep, played and evolved.
#
#   deep_play_test.sh PROGRAM SOURCE_DIR
set -u
program=$(realpath "$1")
strategies="$(realpath "$2")/strategies"
source "$(dirname "$(realpath "$0")")/../checks.sh"
cd "$work"

repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }

# Each means tit for tat, 200,000 nodes or parentheses deep.
{ repeat '~' 200000; printf 'Dcrp'; } > negations.txt
{ repeat '(' 200000; printf 'Dcrp'; repeat ')' 200000; } > parentheses.txt
{ printf 'Dcrp'; repeat '&' 199999 | sed 's/&/\&Dcrp/g'; } > conjunctions.txt
{ printf 'Dcrp'; repeat '|' 199999 | sed 's/|/|Dcrp/g'; } > disjunctions.txt

# A table without the echo lines, for comparing runs whose files differ.
table() { sed -n '/^>simulating$/,$p' "$1"; }

for deep in negations parentheses conjunctions disjunctions; do
  { echo "$deep.txt"; ls "$strategies"/*.txt; } | "$program" > "$deep.out" 2> "$deep.err"
  status=$?
  { echo "$strategies/tit_for_tat.txt"; ls "$strategies"/*.txt; } | "$program" > shallow.out 2> /dev/null
  [ "$status" = 0 ] || fail "$deep: exit status $status: $(head -c 200 "$deep.err")"
  [ "$(table "$deep.out")" = "$(table shallow.out)" ] || fail "$deep: plays unlike tit for tat"
done

# Evolution breeds from the deep files: crossover grafts deep subtrees.
ls negations.txt conjunctions.txt "$strategies"/always_defect.txt "$strategies"/grudger.txt | "$program" -e > evolution.out 2> evolution.err
status=$?
[ "$status" = 0 ] || fail "-e with deep files: exit status $status: $(head -c 200 evolution.err)"
[ "$(grep -c '^updating formulae$' evolution.out)" = 100 ] || fail "-e with deep files: not 100 generations"

finish "all deep-play checks passed"
