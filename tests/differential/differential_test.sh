#!/usr/bin/env bash
# Plays random populations with the program and with the program whose
# tournament evaluates by substituted copies, and compares their whole
# output, standard error and exit status.
#
#   differential_test.sh PROGRAM BASELINE GENERATOR [CASES]
set -u
source "$(dirname "$(realpath "$0")")/run_both.sh"
program=$1
baseline=$2
generator=$3
cases=${4:-40}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
skipped=0
for ((case = 1; case <= cases; ++case)); do
  dir="$work/case$case"
  mkdir -p "$dir"
  # Mostly small populations, now and then a large one with fewer quantifiers.
  pop=$((1 + case % 8))
  quantifiers=2
  if ((case % 13 == 0)); then pop=$((20 + case % 30)); quantifiers=1; fi
  args=(-s "$case")
  if ((case % 3 == 0)); then args+=(-e); fi
  "$generator" "$case" "$dir" "$pop" "$quantifiers" > "$dir/names"
  run_both "$dir" "${args[@]}"
  outcome=$?
  if [ "$outcome" = 2 ]; then
    skipped=$((skipped + 1))
    continue
  fi
  if [ "$outcome" != 0 ]; then
    echo "FAIL: case $case (${args[*]}), population:"
    cat "$dir"/player*.txt | head -n 20
    diff "$dir/out" "$dir/base_out" | head -n 10
    failures=$((failures + 1))
  fi
done
echo "$cases cases: $failures differ, $skipped skipped (baseline too slow)"
[ "$failures" = 0 ] && [ $((skipped * 10)) -le "$cases" ]
