#!/usr/bin/env bash
# ipdlogic-lab against ipdlogic: with the defaults, the rows of every
# generation the program prints hold its listings and its tables, for random
# populations and files, one tournament and evolution, over several seeds;
# and a sweep's rows are its single runs' rows. The rows are compared by
# lab_rows.py: without /usr/bin/python3 the test is skipped (exit status 77).
#
#   lab_program_test.sh PROGRAM LAB SOURCE_DIR
set -u
program=$1
lab=$2
source_dir=$3
strategies="$source_dir/strategies"
check="$source_dir/tools/tests/lab_rows.py"
if [ ! -x /usr/bin/python3 ]; then
  echo "SKIP: /usr/bin/python3 is not installed (Debian: python3): the lab's rows are not compared with the program's"
  exit 77
fi
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
cd "$work"

# matches NAME SEED: the lab's NAME.csv against the program's NAME.txt.
matches() {
  /usr/bin/python3 "$check" "$1.csv" "$1.txt" "$2" 1 > "$1.check" 2>&1 || fail "$1: $(cat "$1.check")"
}

for seed in 1 42 777 -3; do
  "$program" -r -e -s "$seed" > "random_e$seed.txt"
  "$lab" --random 10 --seed "$seed" --out "random_e$seed.csv" || fail "random_e$seed: status"
  matches "random_e$seed" "$seed"
  "$program" -r -s "$seed" > "random$seed.txt"
  "$lab" --random 10 --seed "$seed" --generations 1 > "random$seed.csv" 2> /dev/null || fail "random$seed: status"
  matches "random$seed" "$seed"
done

# Files named as arguments, or on standard input as the program reads them.
for seed in 5 777; do
  ls "$strategies"/*.txt | "$program" -e -s "$seed" > "files_e$seed.txt"
  "$lab" --seed "$seed" "$strategies"/*.txt > "files_e$seed.csv" 2> /dev/null || fail "files_e$seed: status"
  matches "files_e$seed" "$seed"
  ls "$strategies"/*.txt | "$lab" --seed "$seed" --out "stdin_e$seed.csv" || fail "stdin_e$seed: status"
  cmp -s "stdin_e$seed.csv" "files_e$seed.csv" || fail "names on standard input give other rows than arguments"
  ls "$strategies"/*.txt | "$program" -s "$seed" > "files$seed.txt"
  "$lab" --seed "$seed" --generations 1 "$strategies"/*.txt > "files$seed.csv" 2> /dev/null
  matches "files$seed" "$seed"
done

# Formulae whose variables are a double quote, a comma and a backslash: the
# CSV quotes them, and they read back as the program lists them.
printf 'D"cp' > quote.txt
printf 'D,cp|Dcrp' > comma.txt
printf 'Ax(D\\cp&Dxcp)' > backslash.txt
printf '%s\n' quote.txt comma.txt backslash.txt "$strategies/tit_for_tat.txt" > names
"$program" -e -s 8 < names > odd.txt
"$lab" --seed 8 < names > odd.csv 2> /dev/null || fail "odd letters: status"
matches odd 8
grep -q '^8,0,0,"D""cp",1,' odd.csv || fail "a double quote is not doubled: $(sed -n 2p odd.csv)"
grep -q '^8,0,2,"(Ax(D\\\\cp&Dxcp))",4,' odd.csv || fail "a backslash is not escaped: $(sed -n 4p odd.csv)"

# A sweep is its single runs, in the order given, whatever the options.
options=(--random 12 --generations 25 --every 4 --mutation 0.2 --noise 0.05 --rounds 30 --payoffs 4,3,2,1)
"$lab" "${options[@]}" --seeds 9-11,2 --out sweep.csv || fail "sweep: status"
for seed in 9 10 11 2; do
  "$lab" "${options[@]}" --seed "$seed" 2> /dev/null | tail -n +2
done > singles.csv
tail -n +2 sweep.csv | cmp -s - singles.csv || fail "a sweep's rows differ from its single runs' rows"
[ "$(cut -d, -f1 sweep.csv | uniq | tr '\n' ' ')" = "seed 9 10 11 2 " ] || fail "sweep: seeds out of order"

finish "the lab's rows match the program's output"
