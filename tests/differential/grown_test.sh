#!/usr/bin/env bash
# Plays populations of 100 formulae grown by the program's own random
# generator, as `ipdlogic -r` grows them, with the program and with the
# program whose tournament evaluates by substituted copies, and compares
# their whole output, standard error and exit status: single tournaments
# and evolution runs, some with CHANCE atoms and library strategies among
# the players.
#
#   grown_test.sh PROGRAM BASELINE GENERATOR STRATEGIES [CASES [FIRST]]
#
# Runs cases FIRST to FIRST + CASES - 1; a case's number is its seed, and
# the case is reproduced by the two commands a failure prints.
set -u
source "$(dirname "$(realpath "$0")")/run_both.sh"
program=$1
baseline=$2
generator=$3
strategies=$4
cases=${5:-8}
first=${6:-1}
library=("$strategies"/*.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
skipped=0

# The generator grows what the program grows: without a bound, its first
# ten formulae are the listing of `PROGRAM -r`.
"$generator" "$first" "$work" 10 0 > /dev/null
"$program" -r -s "$first" | awk '/^[0-9]+ -+$/ { getline; print }' > "$work/listing"
for ((player = 0; player < 10; ++player)); do
  cat "$work/player$player.txt"
  echo
done > "$work/grown"
if ! cmp -s "$work/listing" "$work/grown"; then
  echo "FAIL: the formulae grown for seed $first are not those of '-r -s $first':"
  diff "$work/listing" "$work/grown" | head -n 10
  failures=$((failures + 1))
fi

# The population of a case, as the generator's arguments after the
# directory. Every fourth case is an evolution run of formulae with work at
# most 1,000 (one quantifier over a body of up to ten nodes, or twenty for a
# time quantifier): in every other one, none of them holds a quantifier, so
# that a hundred generations by substitution take a few seconds; in the
# others, at most 10 do, and crossover may nest their quantifiers until the
# baseline is too slow. A tournament's players have work up to 10,000 (two
# nested agent quantifiers over an atom), 100,000 or, in one case of five,
# 1,000,000 (three). Every third case turns atoms of some players into
# CHANCE atoms and seats 3 to 8 library strategies among the players.
population() {
  local case=$1 work_bound quantified=100 chances=0 picks=()
  local tournament_bounds=(10000 10000 100000 100000 1000000)
  if ((case % 4 == 0)); then
    work_bound=1000
    quantified=$((case % 8 == 0 ? 10 : 0))
  else
    work_bound=${tournament_bounds[case % 5]}
  fi
  if ((case % 3 == 0)); then
    chances=$((1 + case % 7))
    for ((i = 0; i < 3 + case / 3 % 6; ++i)); do picks+=("${library[(case + 5 * i) % ${#library[@]}]}"); done
  fi
  echo 100 "$work_bound" "$quantified" "$chances" "${picks[@]}"
}

for ((case = first; case < first + cases; ++case)); do
  dir="$work/case$case"
  mkdir -p "$dir"
  read -r -a grown <<< "$(population "$case")"
  args=(-s "$case")
  if ((case % 4 == 0)); then args+=(-e); fi
  "$generator" "$case" "$dir" "${grown[@]}" > "$dir/names"
  run_both "$dir" "${args[@]}"
  outcome=$?
  if [ "$outcome" = 2 ]; then
    echo "skipped: case $case (${args[*]}), the baseline took more than 120 s"
    skipped=$((skipped + 1))
    continue
  fi
  if [ "$outcome" != 0 ]; then
    echo "FAIL: case $case differs; to reproduce:"
    echo "  mkdir -p DIR && $generator $case DIR ${grown[*]} > DIR/names"
    echo "  $program ${args[*]} < DIR/names"
    diff "$dir/out" "$dir/base_out" | head -n 10
    diff "$dir/err" "$dir/base_err" | head -n 4
    failures=$((failures + 1))
  fi
done
echo "$cases cases of 100 grown players: $failures differ, $skipped skipped (baseline too slow)"
[ "$failures" = 0 ] && [ $((skipped * 4)) -le "$cases" ]
