#!/usr/bin/env bash
# ipdlogic-lab --jobs: the same rows and the same record, but for the jobs,
# whatever the number of seeds run at once (random populations and files,
# names on standard input, noise and mutation); the same errors; rows in
# seed order when a sweep is killed; one progress bar. It needs nothing but
# the build; the README's recipe for several machines is
# lab_parallel_recipe_test.sh.
#
#   lab_jobs_test.sh LAB SOURCE_DIR
set -u
lab=$(realpath "$1")
source_dir=$(realpath "$2")
strategies="$source_dir/strategies"
recipe_test="$(dirname "$(realpath "$0")")/lab_parallel_recipe_test.sh"
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
cd "$work"

# The record without its jobs: in the arguments, and the last key.
record() { sed -e 's/, "--jobs", "[0-9]*"//' -e 's/, "jobs": [0-9]*}$/}/' "$1"; }

# same_for_jobs NAME ARGS...: --jobs 1, 2 and 8 write the same NAME.csv,
# in jobsN/, and, but for the jobs, the same record. Every case has 8 seeds
# or more.
same_for_jobs() {
  local name=$1 jobs
  shift
  for jobs in 1 2 8; do
    mkdir -p "jobs$jobs"
    (cd "jobs$jobs" && "$lab" --jobs "$jobs" "$@" --out "$name.csv" < "${stdin:-/dev/null}") ||
      fail "$name, --jobs $jobs: status"
    grep -q "\"jobs\": $jobs}$" "jobs$jobs/$name.csv.json" || fail "$name, --jobs $jobs: $(cat "jobs$jobs/$name.csv.json")"
  done
  for jobs in 2 8; do
    cmp -s "jobs1/$name.csv" "jobs$jobs/$name.csv" || fail "$name: --jobs $jobs writes other rows than --jobs 1"
    [ "$(record "jobs1/$name.csv.json")" = "$(record "jobs$jobs/$name.csv.json")" ] ||
      fail "$name: --jobs $jobs keeps another record: $(cat "jobs$jobs/$name.csv.json")"
  done
}

same_for_jobs random --random 12 --generations 25 --every 4 --mutation 0.2 --noise 0.05 --rounds 30 \
  --payoffs 4,3,2,1 --seeds 9-30,2
same_for_jobs files --generations 15 --mutation 0.1 --noise 0.02 --seeds 1-12 "$strategies"/*.txt
ls "$strategies"/*.txt > names
stdin="$work/names" same_for_jobs names --generations 15 --mutation 0.1 --noise 0.02 --seeds 1-12
cmp -s jobs1/files.csv jobs1/names.csv || fail "names on standard input give other rows than files"
[ "$(wc -l < jobs1/random.csv)" = $((23 * 7 * 12 + 1)) ] || fail "random: $(wc -l < jobs1/random.csv) lines"

# errors JOBS NAME ARGS...: status 1 and the same last line on standard
# error as with --jobs 1, standard output the same too.
errors() {
  local jobs=$1 name=$2
  shift 2
  for run in 1 "$jobs"; do
    (
      trap '' PIPE
      "$lab" --jobs "$run" "$@" 2> "$name$run.err" | head -c 100000 > "$name$run.out"
      exit "${PIPESTATUS[0]}"
    ) < /dev/null
    echo $? > "$name$run.status"
  done
  [ "$(cat "${name}1.status")" = 1 ] || fail "$name: --jobs 1: status $(cat "${name}1.status")"
  cmp -s "${name}1.status" "$name$jobs.status" || fail "$name: --jobs $jobs: status $(cat "$name$jobs.status")"
  [ "$(tail -n 1 "${name}1.err")" = "$(tail -n 1 "$name$jobs.err")" ] ||
    fail "$name: --jobs $jobs: $(tail -n 1 "$name$jobs.err")"
  cmp -s "${name}1.out" "$name$jobs.out" || fail "$name: --jobs $jobs: other output"
}

errors 8 full --random 3 --seeds 1-20 --out /dev/full
grep -qx 'Error: cannot write /dev/full: No space left on device' full8.err || fail "/dev/full: $(cat full8.err)"
# A closed pipe, with SIGPIPE ignored, in the middle of a sweep.
errors 4 pipe --random 10 --seeds 1-300 --generations 20
grep -qx 'Error: cannot write standard output: Broken pipe' pipe4.err || fail "closed pipe: $(cat pipe4.err)"
errors 4 missing --seeds 1-20 "$strategies/tit_for_tat.txt" no_such.txt
grep -qx 'Error: cannot open formula file: no_such.txt' missing4.err || fail "missing file: $(cat missing4.err)"
[ -s missing4.out ] && fail "missing file: wrote rows"

# Killed in the middle of a sweep on 8 threads: whole rows, in seed order,
# the start of what one thread writes.
"$lab" --jobs 8 --random 30 --generations 40 --seeds 1-400 --out killed.csv &
running=$!
until [ "$(stat -c %s killed.csv 2> /dev/null || echo 0)" -gt 65536 ] || ! kill -0 "$running" 2> /dev/null; do
  sleep 0.1
done
kill -TERM "$running" 2> /dev/null
status=0
wait "$running" || status=$?
# Ended by the signal, as a process without a handler is (128 + 15), but
# only between two writes of rows.
[ "$status" = 143 ] || [ "$status" = 0 ] || fail "killed: status $status"
[ "$(tail -c 1 killed.csv | od -An -c | tr -d ' ')" = '\n' ] || fail "killed: the last row is cut"
last_seed=$(tail -n 1 killed.csv | cut -d, -f1)
"$lab" --jobs 1 --random 30 --generations 40 --seeds "1-$last_seed" --out whole.csv
cmp -s killed.csv <(head -c "$(stat -c %s killed.csv)" whole.csv) || fail "killed: not the rows of one thread"

# One bar for the sweep, counting every thread's generations.
script -qec "$lab --jobs 2 --random 5 --seeds 1-3 --generations 50 --out bar.csv" bar.log > /dev/null 2>&1 ||
  fail "bar: status"
grep -qE '100%  run 3/3, generation 50/50, [0-9:]+ elapsed' bar.log || fail "no progress bar: $(cat -v bar.log)"
[ "$(grep -o '100%' bar.log | wc -l)" = 1 ] || fail "more than one bar at 100%: $(cat -v bar.log)"

# The test of the README's GNU parallel recipe skips itself, named for what
# it needs, without GNU parallel.
IPDLOGIC_PARALLEL=/nonexistent/parallel "$recipe_test" "$lab" "$source_dir" > skipped.out 2>&1
[ $? = 77 ] && grep -q '^SKIP: GNU parallel is not installed as /nonexistent/parallel ' skipped.out ||
  fail "the recipe's test without GNU parallel: $(cat skipped.out)"

finish "all --jobs checks passed"
