#!/usr/bin/env bash
# The README's recipe for sweeps over several machines with GNU parallel,
# run on this machine alone with fewer seeds: its parts, joined as the
# README joins them, are the CSV of one ipdlogic-lab process. Without GNU
# parallel (Debian: parallel) the test is skipped (exit status 77).
#
#   lab_parallel_recipe_test.sh LAB SOURCE_DIR
#
# IPDLOGIC_PARALLEL (default parallel) names GNU parallel.
set -u
lab=$(realpath "$1")
readme="$(realpath "$2")/README.md"
parallel=${IPDLOGIC_PARALLEL:-parallel}
# moreutils has a parallel of its own, with other options.
if ! "$parallel" --version 2> /dev/null | grep -q '^GNU parallel'; then
  echo "SKIP: GNU parallel is not installed as $parallel (Debian: parallel): the README's recipe is not run"
  exit 77
fi
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
cd "$work"

# The recipe is the README's bash block that starts with "machines=".
awk '/^```bash$/ { block = ""; inside = 1; next }
     inside && /^```$/ { if (block ~ /^machines=/) { printf "%s", block; exit } inside = 0; next }
     inside { block = block $0 "\n" }' "$readme" > recipe.sh
grep -q '^parallel ' recipe.sh || fail "README.md: no GNU parallel recipe"
# This machine alone, 20 seeds in tasks of 5.
sed -i -e 's/^machines=[^ ]*/machines=:/' -e 's/^seeds=[0-9]* per_task=[0-9]*$/seeds=20 per_task=5/' recipe.sh
grep -q '^machines=: ' recipe.sh && grep -q '^seeds=20 per_task=5$' recipe.sh ||
  fail "the recipe's settings: $(head -n 2 recipe.sh)"
mkdir bin && ln -s "$lab" bin/ipdlogic-lab
PATH="$work/bin:$PATH" HOME="$work" bash -e recipe.sh > recipe.out 2> recipe.err || fail "the recipe: $(cat recipe.err)"
[ "$(tr '\n' ' ' < ranges)" = "1-5 6-10 11-15 16-20 " ] || fail "ranges: $(cat ranges)"
for range in 1-5 16-20; do
  grep -q '"--seeds", "'$range'", "--out", "part'$range'.csv"\]' "part$range.csv.json" ||
    fail "part $range: $(cat "part$range.csv.json")"
done
"$lab" --random 10 --seeds 1-20 --out one.csv
cmp -s sweep.csv one.csv || fail "the parts joined are not one process's CSV: $(cmp sweep.csv one.csv)"

finish "the README's GNU parallel recipe makes one process's CSV"
