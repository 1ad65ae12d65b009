#!/usr/bin/env bash
# A write or read that fails ends the run with an error, never with a quiet
# success: standard output on a full device, closed, or a pipe that nobody
# reads any more; standard input that cannot be read. And every listing
# reaches the output as soon as it is printed, so a run that is stopped
# keeps what it showed.
#
#   failed_io_test.sh PROGRAM SOURCE_DIR
set -u
program=$(realpath "$1")
strategies="$(realpath "$2")/strategies"
source "$(dirname "$(realpath "$0")")/../checks.sh"
running=
trap '[ -n "$running" ] && kill "$running" 2> /dev/null; rm -rf "$work"' EXIT
cd "$work"
greeting='getting players...'
no_space='Error: cannot write standard output: No space left on device'

# check NAME STATUS STDOUT STDERR: compares the last run's results.
check() {
  local status
  status=$(cat status)
  [ "$status" = "$2" ] || fail "$1: exit status $status, expected $2"
  [ "$(cat out)" = "$3" ] || fail "$1: standard output differs: $(head -c 300 out)"
  [ "$(cat err)" = "$4" ] || fail "$1: standard error differs: $(head -c 300 err)"
}

ls "$strategies"/*.txt > library

# A full device: a tournament, an evolution run, and a random population.
"$program" < library > /dev/full 2> err
echo $? > status; : > out
check "tournament to /dev/full" 1 "" "$no_space"
"$program" -r -e > /dev/full 2> err
echo $? > status
check "evolution to /dev/full" 1 "" "$no_space"
"$program" -s 5 -r > /dev/full 2> err
echo $? > status
check "random population to /dev/full" 1 "" "$no_space"

# Standard output closed.
"$program" -r -e >&- 2> err
echo $? > status
check "standard output closed" 1 "" "Error: cannot write standard output: Bad file descriptor"

# A pipe whose reader has gone. The FIFO's reader opens it and leaves at
# once; the descriptor kept for writing then has no reader at all.
mkfifo fifo
{ exec 3< fifo; } &
exec 4> fifo
wait
env --ignore-signal=PIPE "$program" -r -e >&4 2> err
echo $? > status
check "closed pipe, SIGPIPE ignored" 1 "" "Error: cannot write standard output: Broken pipe"
# At its default, SIGPIPE ends the program as it ends any filter.
env --default-signal=PIPE "$program" -r -e >&4 2> err
echo $? > status
check "closed pipe, SIGPIPE at its default" $((128 + 13)) "" ""
exec 4>&-

# Standard input that cannot be read is no end of input.
mkdir names_dir
"$program" < names_dir > out 2> err
echo $? > status
check "standard input a directory" 1 "$greeting" "Error: cannot read standard input: Is a directory"

# The listing of generation 0 is in the file while its tournament still
# runs: 100 players whose five nested quantifiers, over a body that ties
# every two of the five letters together and is never true, never finish a
# tournament.
printf 'Ea(Eb(Ec(Ed(Ee(Dabp&Dacp&Dadp&Daep&Dbcp&Dbdp&Dbep&Dcdp&Dcep&Ddep&~Dabp)))))' > slow.txt
for _ in $(seq 100); do echo slow.txt; done > slow_names
{
  echo "$greeting"
  for _ in $(seq 100); do echo 'Ea(Eb(Ec(Ed(Ee(Dabp&Dacp&Dadp&Daep&Dbcp&Dbdp&Dbep&Dcdp&Dcep&Ddep&~Dabp)))))'; done
  for player in $(seq 0 99); do
    printf '%d -------------------------------------------\n' "$player"
    printf '(Ea(Eb(Ec(Ed(Ee((((((((((Dabp&Dacp)&Dadp)&Daep)&Dbcp)&Dbdp)&Dbep)&Dcdp)&Dcep)&Ddep)&(~Dabp)))))))\n\n'
  done
} > listed
"$program" -e < slow_names > out 2> err &
running=$!
shown=no
for _ in $(seq 400); do
  if cmp -s out listed; then shown=yes; break; fi
  kill -0 "$running" 2> /dev/null || break
  sleep 0.05
done
kill -0 "$running" 2> /dev/null || fail "slow tournament: the run ended ($(head -c 200 err))"
kill "$running"
wait "$running" 2> /dev/null
running=
[ "$shown" = yes ] || fail "slow tournament: the listing is not in the file while the tournament runs ($(wc -c < out) bytes)"

finish "all failed read and write checks passed"
