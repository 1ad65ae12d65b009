#!/usr/bin/env bash
# The run modes and the command-line rules, compared run against run.
#
#   run_modes_test.sh PROGRAM SOURCE_DIR
set -u
program=$1
strategies="$2/strategies"
source "$(dirname "$(realpath "$0")")/../checks.sh"

# run NAME ARGS... : runs with the classic strategies on standard input,
# keeping standard output in $work/NAME and the exit status in $work/NAME.status.
run() {
  local name=$1
  shift
  ls "$strategies"/*.txt | "$program" "$@" > "$work/$name" 2> "$work/$name.err"
  echo $? > "$work/$name.status"
}

expect_status() {
  [ "$(cat "$work/$1.status")" = "$2" ] || fail "$1: exit status $(cat "$work/$1.status"), expected $2"
}

same() {
  cmp -s "$work/$1" "$work/$2" || fail "$1 and $2 differ"
}

count() {
  grep -c -- "$2" "$work/$1"
}

# Every mode completes.
run random -r
run random_evolution -r -e
run file_evolution -e
ls "$strategies/tit_for_tat.txt" | "$program" -e > "$work/one_file" 2>&1; echo $? > "$work/one_file.status"
"$program" -e < /dev/null > "$work/no_files" 2>&1; echo $? > "$work/no_files.status"
for name in random random_evolution file_evolution one_file no_files; do expect_status $name 0; done

# Random formulae never read standard input.
echo "no-such-file" | "$program" -r > "$work/random_ignoring_input" 2>&1
same random random_ignoring_input

# Listings and tables at generations 0, 9, 19, ..., 99; breeding every generation.
[ "$(count random_evolution '^0 -------------------------------------------$')" = 11 ] || fail "-r -e: listings"
[ "$(count random_evolution '^  player ')" = 11 ] || fail "-r -e: tables"
[ "$(count random_evolution '^updating formulae$')" = 100 ] || fail "-r -e: breeding"
[ "$(count random_evolution '^>simulating$')" = 100 ] || fail "-r -e: tournaments"
[ "$(count one_file '^updating formulae$')" = 100 ] || fail "-e with one file"
[ "$(count no_files '^updating formulae$')" = 100 ] || fail "-e with no files"
[ "$(count file_evolution '^getting players...$')" = 1 ] || fail "-e with files: greeting"

# One seed, one run.
run seeded_once -r -e -s 42
run seeded_twice -r -e -s 42
same seeded_once seeded_twice
run seed_777 -r -s 777
same random seed_777

# Seed positions: the last usable "-s" at positions 1 to 3 decides.
# (The library's CHANCE strategies make a file run depend on the seed.)
run files_seed_5_then_7 -s 5 -s 7
run files_seed_7 -s 7
same files_seed_5_then_7 files_seed_7
run files_seed_5 -s 5
cmp -s "$work/files_seed_5" "$work/files_seed_7" && fail "seeds 5 and 7 give the same run"
run seed_7 -s 7 -r
run seed_7_at_3 -r -s 7
same seed_7_at_3 seed_7
run seed_dangling -r -s
same seed_dangling random
run seed_at_position_4 -r -e x -s 7
run evolve_x -r -e x
same seed_at_position_4 evolve_x

# A seed text converts as atoi does, saturating beyond 32 bits.
run seed_r -s -r
run seed_0 -s 0 -r
same seed_r seed_0
run seed_abc -s abc -r
same seed_abc seed_0
run seed_leading -s "  +7xyz" -r
same seed_leading seed_7
run seed_huge -s 999999999999999999999999999999 -r
run seed_max -s 2147483647 -r
same seed_huge seed_max
run seed_tiny -s -999999999999999999999999999999 -r
run seed_min -s -2147483648 -r
same seed_tiny seed_min

# Options past position four are ignored.
run late_options a b c d -r -e
run plain
same late_options plain
[ "$(count plain '^getting players...$')" = 1 ] || fail "file mode greeting"

finish "all run-mode checks passed"
