#!/usr/bin/env bash
# ipdlogic-explain end to end: the explanation of library strategies against
# a checked text, and bad files reported exactly as the program reports them.
#
#   explain_test.sh PROGRAM EXPLAIN SOURCE_DIR
set -u
program=$1
explain=$2
source_dir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Five library strategies: a current-round atom, a time quantifier, an agent
# quantifier and two chance atoms.
(cd "$source_dir" && "$explain" strategies/alternator.txt strategies/grudger.txt strategies/punisher.txt \
  strategies/random.txt strategies/generous_tit_for_tat.txt > "$work/library" 2> "$work/library.err")
[ $? = 0 ] || fail "library: exit status"
[ -s "$work/library.err" ] && fail "library: standard error not empty"
diff "$source_dir/tools/tests/explain_library.expected" "$work/library" > "$work/library.diff" ||
  { fail "library: explanation differs"; head -n 40 "$work/library.diff"; }

# Bad files: the same standard error and status as the program; on standard
# output the file's header line, then what the program writes after its greeting.
cd "$work"
printf '(Drcp' > unbalanced.txt
printf '  \n' > empty.txt
printf 'Drcp&' > empty_operand.txt
printf '(Drcp)Dcrp' > text_after.txt
printf 'Dr' > cut_short.txt
for name in unbalanced.txt empty.txt empty_operand.txt text_after.txt cut_short.txt missing.txt; do
  echo "$name" | "$program" > program.out 2> program.err
  program_status=$?
  "$explain" "$name" > explain.out 2> explain.err
  explain_status=$?
  [ "$program_status" = 1 ] || fail "$name: the program did not fail"
  [ "$explain_status" = "$program_status" ] || fail "$name: status $explain_status, the program's $program_status"
  cmp -s program.err explain.err || fail "$name: standard error differs: $(cat explain.err) / $(cat program.err)"
  { echo "== $name"; tail -n +2 program.out; } > expected.out
  cmp -s expected.out explain.out || fail "$name: standard output differs"
done

# A bad file after a good one: the good one is explained, then the failure.
printf 'Dcrp' > good.txt
"$explain" good.txt unbalanced.txt missing.txt > mixed.out 2> mixed.err
[ $? = 1 ] || fail "good then bad: exit status"
grep -q '^    against tit for tat       CCCCCCCCCC$' mixed.out || fail "good then bad: the good file is not explained"
[ "$(tail -n 2 mixed.out)" = "$(printf '== unbalanced.txt\n(Drcp')" ] || fail "good then bad: output after the good file"
[ "$(cat mixed.err)" = "Error: unbalanced parentheses in formula" ] || fail "good then bad: $(cat mixed.err)"

# A failed write is an error, as in the program.
"$explain" good.txt > /dev/full 2> full.err
[ $? = 1 ] || fail "to /dev/full: exit status"
[ "$(cat full.err)" = "Error: cannot write standard output: No space left on device" ] || fail "to /dev/full: $(cat full.err)"

"$explain" > none.out 2> none.err
[ $? = 1 ] || fail "no file: exit status"
[ -s none.out ] && fail "no file: standard output not empty"
grep -q '^Error: no formula file named' none.err || fail "no file: $(cat none.err)"

[ "$failures" = 0 ] && echo "all explain checks passed"
exit $((failures > 0))
