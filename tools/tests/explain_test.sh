#!/usr/bin/env bash
# ipdlogic-explain end to end: the explanation of library strategies against
# a checked text; the findings of the files in lint/ (line, column, text),
# with the exit status over several files; the program's own messages in
# them; a strategy with an agent quantifier played in a society, against the
# program's table; the options.
#
#   explain_test.sh PROGRAM EXPLAIN SOURCE_DIR
set -u
program=$(realpath "$1")
explain=$(realpath "$2")
source_dir=$(realpath "$3")
tests="$source_dir/tools/tests"
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"

# Five library strategies: a current-round atom, a time quantifier, an agent
# quantifier and two chance atoms. When the explanation is meant to change
# (a better simplification, say), make the expected text again and read its
# diff before committing it:
#   (cd SOURCE_DIR && build/tools/ipdlogic-explain strategies/{alternator,grudger,punisher,random}.txt \
#     strategies/generous_tit_for_tat.txt > tools/tests/explain_library.expected)
(cd "$source_dir" && "$explain" strategies/alternator.txt strategies/grudger.txt strategies/punisher.txt \
  strategies/random.txt strategies/generous_tit_for_tat.txt > "$work/library" 2> "$work/library.err")
[ $? = 0 ] || fail "library: exit status"
[ -s "$work/library.err" ] && fail "library: findings for the library: $(head -n 3 "$work/library.err")"
diff "$tests/explain_library.expected" "$work/library" > "$work/library.diff" ||
  { fail "library: explanation differs"; head -n 40 "$work/library.diff"; }

# Findings: every file reported in order, also after errors; status 1.
cd "$tests/lint"
files=(good.txt slips.txt utf8.txt control_bytes.txt unbalanced.txt empty_operand.txt cut_short.txt wrong_start.txt
       blank.txt missing.txt)
"$explain" "${files[@]}" > "$work/lint.out" 2> "$work/lint.err"
[ $? = 1 ] || fail "findings: exit status, expected 1"
diff "$tests/lint_findings.expected" "$work/lint.err" > "$work/lint.diff" ||
  { fail "findings differ"; head -n 40 "$work/lint.diff"; }
[ "$(grep '^== ' "$work/lint.out" | tr '\n' ' ')" = "$(printf '== %s ' "${files[@]}")" ] ||
  fail "findings: not every file reported, in order: $(grep '^== ' "$work/lint.out" | tr '\n' ' ')"
# Warnings alone are no error.
"$explain" good.txt slips.txt control_bytes.txt > /dev/null 2>&1
[ $? = 0 ] || fail "warnings only: exit status, expected 0"

# An error finding holds the program's own message for the same file.
for name in utf8.txt unbalanced.txt empty_operand.txt cut_short.txt wrong_start.txt blank.txt missing.txt; do
  message=$(echo "$name" | "$program" 2>&1 > /dev/null | sed -n 's/^Error: //p')
  grep -qF "$name:" "$work/lint.err" || fail "$name: no finding"
  grep -F "$name" "$work/lint.err" | grep -qF ": error: $message" || fail "$name: the program's message \"$message\" is not in its finding"
done

# A strategy with an agent quantifier. Two players: the quantifier ranges
# over nobody, A is true and the strategy always defects. In the library's
# society it plays, last, exactly the program's tournament of the library and
# the strategy.
"$explain" society.txt > "$work/society" 2> "$work/society.err" || fail "society: exit status"
grep -q '^    against tit for tat       DDDDDDDDDD$' "$work/society" || fail "society: two-player games"
grep -q '^    against always_defect         CDDDDDDDDD$' "$work/society" || fail "society: moves against always defect"
grep -q '^    against punisher              CCCDDDDDDD$' "$work/society" || fail "society: moves against punisher"
{ ls "$source_dir"/strategies/*.txt; echo society.txt; } | "$program" > "$work/table"
row=$(grep '^      12 ' "$work/table" | awk '{ printf "score %d (t %d, r %d, p %d, s %d)", $6, $2, $3, $4, $5 }')
rank=$(awk -v me="$(grep '^      12 ' "$work/table" | awk '{ print $6 }')" 'NF == 6 && $1 ~ /^[0-9]+$/ && $6 > me { n++ } END { print n + 1 }' "$work/table")
grep -qF "    $row, rank $rank of 13" "$work/society" || fail "society: \"$row, rank $rank of 13\" not in: $(grep '    score' "$work/society")"
# A society named by --society: files and a directory, in order.
mkdir "$work/two" && cp "$source_dir"/strategies/{tit_for_tat,always_defect}.txt "$work/two"
"$explain" --society good.txt --society="$work/two" society.txt > "$work/given" 2>&1 || fail "--society: exit status"
grep -q '^  in a society: the strategies given with --society, 3 strategies; one tournament of 4 players, seed 777$' \
  "$work/given" || fail "--society: $(grep 'in a society' "$work/given")"
[ "$(grep -c '^    against \(good\|always_defect\|tit_for_tat\) ' "$work/given")" = 3 ] || fail "--society: members"
row=$(printf '%s\n' good.txt "$work/two/always_defect.txt" "$work/two/tit_for_tat.txt" society.txt | "$program" |
  grep '^       3 ' | awk '{ printf "score %d (t %d, r %d, p %d, s %d)", $6, $2, $3, $4, $5 }')
grep -qF "    $row, rank" "$work/given" || fail "--society: \"$row\" not in: $(grep '    score' "$work/given")"

# The behaviour section: always in the built-in library, whatever the
# society; a formula that plays like a strategy has its identifier; one that
# plays like none says so.
behaviour() { sed -n '/^  behaviour in the built-in strategy library: 12 strategies and this one last, 50 rounds, seed 777$/,$p' "$1"; }
printf '~~Dcrp' > "$work/double_not.txt"
printf 'Dcrp-1' > "$work/none.txt"
"$explain" "$source_dir/strategies/tit_for_tat.txt" > "$work/tft" 2>&1 || fail "behaviour: tit_for_tat: exit status"
"$explain" --society good.txt "$work/double_not.txt" > "$work/double_not" 2>&1 || fail "behaviour: ~~Dcrp: exit status"
"$explain" "$work/none.txt" > "$work/none" 2>&1 || fail "behaviour: none: exit status"
[ "$(behaviour "$work/tft" | sed -n 4p)" = "    plays like  tit_for_tat" ] || fail "behaviour: tit_for_tat: $(behaviour "$work/tft")"
[ "$(behaviour "$work/tft" | sed -n 2,3p)" = "$(printf '    simplified  Dcrp\n    size        1 node')" ] ||
  fail "behaviour: tit_for_tat simplified: $(behaviour "$work/tft")"
[ "$(behaviour "$work/double_not" | sed -n 4,5p)" = "$(behaviour "$work/tft" | sed -n 4,5p)" ] ||
  fail "behaviour: ~~Dcrp against --society good.txt: $(behaviour "$work/double_not")"
behaviour "$work/none" | grep -qx '    plays like  none of the library' || fail "behaviour: none: $(behaviour "$work/none")"
behaviour "$work/none" | grep -qE '^    identifier  [0-9a-f]{16}$' || fail "behaviour: none: no identifier"
[ "$(behaviour "$work/none" | tail -n 1)" = "$(behaviour "$work/tft" | tail -n 1)" ] && fail "behaviour: none has tit_for_tat's identifier"

# Options.
cd "$work"
"$explain" --help > help.out 2>&1 || fail "--help: exit status"
head -n 1 help.out | grep -q '^usage: ipdlogic-explain ' || fail "--help: $(head -n 1 help.out)"
grep -qF "Default: the strategy library, $source_dir/strategies" help.out || fail "--help: default society"
"$explain" --version > version.out 2>&1 || fail "--version: exit status"
grep -qE '^ipdlogic-explain \(ipdlogic\) [0-9]+\.[0-9]+\.[0-9]+$' version.out || fail "--version: $(cat version.out)"
"$explain" --bogus "$tests/lint/good.txt" > bogus.out 2> bogus.err
[ $? = 1 ] || fail "unknown option: exit status"
[ -s bogus.out ] && fail "unknown option: a file was explained"
[ "$(cat bogus.err)" = "Error: unknown option --bogus (see ipdlogic-explain --help)" ] || fail "unknown option: $(cat bogus.err)"
"$explain" "$tests/lint/good.txt" --society > missing.out 2> missing.err
[ $? = 1 ] && [ "$(cat missing.err)" = "Error: --society needs a value" ] || fail "--society without a value: $(cat missing.err)"
# --help ends the reading: what follows it is not looked at.
"$explain" --help --bogus > help_first.out 2>&1 || fail "--help --bogus: exit status"
cmp -s help.out help_first.out || fail "--help --bogus: $(head -n 1 help_first.out)"
cp "$tests/lint/good.txt" ./-x.txt
"$explain" -- -x.txt > dashed.out 2>&1 || fail "--: exit status"
grep -q '^== -x.txt$' dashed.out || fail "--: the file after it is not explained"
# A lone "-" is a file name.
cp "$tests/lint/good.txt" ./-
"$explain" - > dash.out 2>&1 || fail "-: exit status"
[ "$(head -n 1 dash.out)" = "== -" ] || fail "-: not explained as a file: $(head -n 1 dash.out)"
"$explain" > none.out 2> none.err
[ $? = 1 ] || fail "no file: exit status"
[ -s none.out ] && fail "no file: standard output not empty"
grep -q '^Error: no formula file named' none.err || fail "no file: $(cat none.err)"

# A failed write is an error, as in the program.
"$explain" "$tests/lint/good.txt" > /dev/full 2> full.err
[ $? = 1 ] || fail "to /dev/full: exit status"
[ "$(cat full.err)" = "Error: cannot write standard output: No space left on device" ] || fail "to /dev/full: $(cat full.err)"

finish "all explain checks passed"
