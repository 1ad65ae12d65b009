#!/usr/bin/env bash
# ipdlogic-lab end to end: each option's effect on real runs, its bad values
# with their messages, the parameters kept beside the data, whole rows, the
# progress bar, and loading the CSV in pandas and R.
#
#   lab_test.sh LAB SOURCE_DIR
set -u
lab=$1
strategies="$2/strategies"
lineage_walk="$2/tools/tests/lab_lineage.py"
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
cd "$work"

# every ROWS.csv PYTHON-CONDITION MESSAGE: the condition holds for every row
# (fields as ints t r p s score size gen player, and str formula).
every() {
  /usr/bin/python3 - "$1" "$2" << 'PY' || fail "$3"
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1], newline="", encoding="utf-8")))
assert rows, "no rows"
for row in rows:
    t, r, p, s, score, size = (int(row[k]) for k in ("t", "r", "p", "s", "score", "size"))
    gen, player, formula = int(row["generation"]), int(row["player"]), row["formula"]
    if not eval(sys.argv[2]):
        sys.exit("row %s" % row)
PY
}

generations() { cut -d, -f2 "$1" | tail -n +2 | uniq | tr '\n' ' '; }

# refused NAME EXPECTED-ERROR ARGS...: status 1, nothing on standard output,
# exactly one Error line.
refused() {
  local name=$1 expected=$2
  shift 2
  "$lab" "$@" < /dev/null > refused.out 2> refused.err
  local status=$?
  [ "$status" = 1 ] || fail "$name: status $status"
  [ -s refused.out ] && fail "$name: wrote to standard output"
  [ "$(cat refused.err)" = "Error: $expected" ] || fail "$name: stderr $(cat refused.err)"
}

# Rounds and payoffs: every row's encounters and score.
"$lab" --random 6 --generations 5 --rounds 7 --payoffs 4,2,1,3 --out rules.csv || fail "rules: status"
every rules.csv "t + r + p + s == 7 * 5" "--rounds 7: encounters per row"
every rules.csv "score == 4 * t + 2 * r + p + 3 * s" "--payoffs 4,2,1,3: scores"
"$lab" --random 2 --generations 2 --rounds 100 --payoffs 1000,1000,1000,1000 --out extreme.csv || fail "extreme: status"
every extreme.csv "score == 100000" "the largest payoffs"

# Population size, generations and --every.
"$lab" --random 100 --generations 2 --rounds 1 --out hundred.csv || fail "--random 100: status"
[ "$(tail -n 1 hundred.csv | cut -d, -f2,3)" = "1,99" ] || fail "--random 100: last row $(tail -n 1 hundred.csv)"
"$lab" --random 3 --generations 100 --every 30 --out every.csv
[ "$(generations every.csv)" = "0 30 60 90 99 " ] || fail "--every 30: generations $(generations every.csv)"
"$lab" --random 3 --generations 1 --out one.csv
[ "$(generations one.csv)" = "0 " ] || fail "--generations 1: $(generations one.csv)"
"$lab" --random 3 --generations 7 --every 1000 --out sparse.csv
[ "$(generations sparse.csv)" = "0 6 " ] || fail "--every beyond the last: $(generations sparse.csv)"
every every.csv "size >= 1 and formula.startswith(('(', 'D'))" "sizes and formulae"

# Mutation: without it the formulae only recombine; with it they change,
# and the default equals 0 exactly.
"$lab" --random 10 --seed 4 --generations 30 --out plain.csv
"$lab" --random 10 --seed 4 --generations 30 --mutation 0 --noise 0 --out zero.csv
cmp -s plain.csv zero.csv || fail "--mutation 0 --noise 0 differ from the defaults"
"$lab" --random 10 --seed 4 --generations 30 --mutation 0.5 --out mutated.csv
cmp -s <(sed -n '2,11p' plain.csv) <(sed -n '2,11p' mutated.csv) || fail "--mutation changed generation 0"
cmp -s plain.csv mutated.csv && fail "--mutation 0.5 changed nothing"

# Noise: two cooperators exploit each other only by mistake.
cooperate="$strategies/always_cooperate.txt"
"$lab" --generations 1 "$cooperate" "$cooperate" --out calm.csv
every calm.csv "r == 50" "two cooperators without noise"
"$lab" --generations 1 --noise 0.2 "$cooperate" "$cooperate" --out noisy.csv
every noisy.csv "t > 0 and s > 0 and r < 50" "--noise 0.2 flips moves"
"$lab" --generations 1 --noise 1 "$cooperate" "$cooperate" --out flipped.csv
every flipped.csv "p >= 49" "--noise 1 flips nearly every move"

# Rounds per row: the tournament's length. Without --continuation every
# tournament plays --rounds; with it the length is drawn, one per
# tournament, up to the cap (100 by default), and shared by every player.
every rules.csv "int(row['rounds']) == 7" "--rounds 7: the rounds column"
"$lab" --random 5 --seeds 1-20 --generations 10 --continuation 0.9 --out drawn.csv || fail "continuation: status"
every drawn.csv "1 <= int(row['rounds']) <= 100 and t + r + p + s == int(row['rounds']) * 4" "--continuation: rounds and tallies"
[ "$(cut -d, -f1,2,11 drawn.csv | sort -u | cut -d, -f1,2 | uniq -d)" = "" ] || fail "--continuation: lengths differ within a tournament"
[ "$(tail -n +2 drawn.csv | cut -d, -f11 | sort -u | wc -l)" -gt 10 ] || fail "--continuation: the lengths do not vary"
"$lab" --random 5 --generations 10 --continuation 0 --rounds 30 --out once.csv
every once.csv "row['rounds'] == '1'" "--continuation 0: one round"

# Lineage: ids and parents hold together in every recorded generation of
# random runs, by every scheme, and copies without mutation are their parents.
walk() { /usr/bin/python3 "$lineage_walk" "$@" > walk.out 2>&1 || fail "lineage $*: $(cat walk.out)"; }
"$lab" --random 12 --seeds 1-15 --generations 25 --selection tournament:3 --elite 2 --crossover 0.5 --mutation 0.3 --out elite.csv
walk elite.csv generational 2
"$lab" --random 10 --seeds 1-15 --generations 25 --selection moran --crossover 0.5 --mutation 0.3 --out moran.csv
walk moran.csv moran 0
"$lab" --seeds 1-8 --generations 25 --crossover 0.3 --mutation 0.2 --elite 1 "$strategies"/*.txt --out copies.csv
walk copies.csv generational 1 1
walk plain.csv generational 0
every plain.csv "row['mutated'] == '0' and (gen == 0) != bool(row['parent2'])" "defaults: every child crossed, none mutated"

# --until-fixed: the run ends with the fixed population recorded, whatever
# --every says; the record tells how many runs fixed and on which formula.
printf 'Dcrp' > tft.txt
printf 'Drcp|~Drcp' > defect.txt
"$lab" --selection moran --crossover 0 --until-fixed --generations 1000000 --every 1000 --seeds 1-30 \
  tft.txt defect.txt defect.txt defect.txt --out fixed.csv || fail "until-fixed: status"
/usr/bin/python3 - fixed.csv << 'PY' || fail "until-fixed: the record and the rows"
import csv, json, sys
record = json.load(open(sys.argv[1] + ".json"))
fixation = record["fixation"]
assert record["until_fixed"] is True and record["selection"] == "moran" and record["crossover"] == 0, record
assert fixation["complete"] and fixation["runs"] == 30 and fixation["fixed"] == 30, fixation
assert sum(fixation["by_formula"].values()) == 30 and set(fixation["by_formula"]) <= {"Dcrp", "(Drcp|(~Drcp))"}, fixation
rows = list(csv.DictReader(open(sys.argv[1])))
for run in fixation["by_run"]:
    mine = [r for r in rows if int(r["seed"]) == run["seed"]]
    last = max(int(r["generation"]) for r in mine)
    assert sorted({int(r["generation"]) for r in mine}) == sorted({0, last}), run
    assert last == run["generation"] and 4 * (last - 1) < run["events"] <= 4 * last, run
    assert {r["formula"] for r in mine if int(r["generation"]) == last} == {run["formula"]}, run
PY
"$lab" --until-fixed --generations 3 --random 4 --seed 2 > unfixed.csv 2> unfixed.json
/usr/bin/python3 -c '
import json, sys
lines = open(sys.argv[1]).read().splitlines()
assert len(lines) == 1, lines
fixation = json.loads(lines[0])["fixation"]
assert fixation["runs"] == 1 and fixation["by_run"][0]["generation"] == 2, fixation
assert fixation["fixed"] == fixation["by_run"][0]["fixed"] * 1, fixation' unfixed.json || fail "until-fixed on standard error: $(cat unfixed.json)"

# The parameters: FILE.json beside the data, or a line on standard error.
"$lab" --random 4 --seeds 1-3,7 --generations 2 --mutation 0.125 --out kept.csv > kept.out 2> kept.err
[ -s kept.out ] && fail "--out: standard output not empty"
[ -s kept.err ] && fail "--out: standard error not empty: $(cat kept.err)"
/usr/bin/python3 - kept.csv.json << 'PY' || fail "--out: FILE.json"
import json, sys
record = json.load(open(sys.argv[1]))
assert record["program"] == "ipdlogic-lab" and record["version"], record
assert record["seeds"] == [[1, 3], [7, 7]] and record["runs"] == 4, record
assert record["population"] == {"source": "random", "players": 4}, record
assert record["generations"] == 2 and record["rounds"] == 50 and record["every"] == 1, record
assert record["payoffs"] == {"T": 5, "R": 3, "P": 1, "S": 0}, record
assert record["mutation"] == 0.125 and record["noise"] == 0 and record["out"] == "kept.csv", record
assert record["selection"] == "roulette" and record["elite"] == 0 and record["crossover"] == 1, record
assert record["continuation"] is None and record["until_fixed"] is False and "fixation" not in record, record
assert record["arguments"][1:3] == ["--random", "4"], record
PY
"$lab" --generations 1 "$cooperate" > piped.csv 2> piped.json || fail "standard output: status"
/usr/bin/python3 -c '
import json, sys
record = json.load(open(sys.argv[1]))
assert record["population"]["source"] == "files" and record["out"] is None, record' piped.json ||
  fail "standard output: the parameters on standard error: $(cat piped.json)"
ls "$cooperate" "$cooperate" | "$lab" --generations 1 > /dev/null 2> names.json
grep -q '"population": {"source": "standard input", "players": 2}' names.json || fail "names: $(cat names.json)"

# Help and version.
"$lab" --help > help.out || fail "--help: status"
grep -q '^Usage: ipdlogic-lab \[OPTIONS\] \[FILE...\]$' help.out || fail "--help: no usage line"
[ "$("$lab" --version)" = "ipdlogic-lab 0.1.0" ] || fail "--version: $("$lab" --version)"

# Bad options and values (the unit tests have every message), and formula files.
refused "rounds" "--rounds: '0' is not a whole number from 1 to 100" --rounds 0
refused "payoffs" "--payoffs: '5,3,1' is not four whole numbers T,R,P,S from 0 to 1000" --payoffs 5,3,1
refused "mutation" "--mutation: 'x' is not a number from 0 to 1" --mutation x
refused "seeds" "--seeds: seed 4 is listed twice" --seeds 1-5,4
refused "missing value" "--out needs a value" --random 3 --out
refused "unknown" "unknown option --seedz (see ipdlogic-lab --help)" --seedz 3
refused "random and files" "--random and formula files cannot be given together" --random 3 a.txt
refused "elite with moran" "--elite cannot be given with --selection moran: a Moran event replaces one player, not a generation" --selection moran --elite 1
refused "tournament too large" "--selection: 'tournament:4' draws more players than the population of 3 holds: K is from 2 to 3" \
  --selection tournament:4 --random 3
refused "elites too many" "--elite: '2' is not below the population of 2: E is from 0 to 1" --elite 2 "$cooperate" "$cooperate"
refused "missing file" "cannot open formula file: no_such.txt" no_such.txt
printf '(Drcp' > unbalanced.txt
refused "bad formula" "unbalanced parentheses in formula" unbalanced.txt
for i in $(seq 101); do echo "$cooperate"; done > too_many
"$lab" < too_many > many.out 2> many.err
[ "$?" = 1 ] && [ "$(cat many.err)" = "Error: too many formula files (at most 100)" ] || fail "101 names: $(cat many.err)"
[ -s many.out ] && fail "101 names: wrote to standard output"
refused "unwritable" "cannot open no_such_dir/x.csv for writing: No such file or directory" --random 3 --out no_such_dir/x.csv
"$lab" --random 3 --out /dev/full 2> full.err
[ "$?" = 1 ] || fail "/dev/full: status"
grep -qx 'Error: cannot write /dev/full: No space left on device' full.err || fail "/dev/full: $(cat full.err)"

# Rows written are whole, even when the run is interrupted.
timeout -s TERM 1 "$lab" --random 100 --seeds 1-1000 --rounds 100 --out interrupted.csv
[ "$(tail -c 1 interrupted.csv | od -An -c | tr -d ' ')" = '\n' ] || fail "interrupted: the last row is cut"
every interrupted.csv "len(row) == 15 and row['mutated'] in ('0', '1')" "interrupted: a row is not whole"

# The progress bar: on a terminal only.
script -qec "$lab --random 5 --seeds 1-3 --generations 50 --out bar.csv" bar.log > /dev/null 2>&1 || fail "bar: status"
grep -q '100%  run 3/3, generation 50/50, 0:0[0-9] elapsed' bar.log || fail "no progress bar on a terminal: $(cat -v bar.log)"
"$lab" --random 5 --seeds 1-3 --generations 50 --out nobar.csv 2> nobar.err
[ -s nobar.err ] && fail "a progress bar without a terminal"
cmp -s bar.csv nobar.csv || fail "the progress bar changed the data"
script -qec "$lab --random 5 --seeds 1-3 --generations 50" rows.log > /dev/null 2>&1
grep -q 'run 3/3' rows.log && fail "a progress bar among rows on the terminal"
grep -q '^3,49,4,' rows.log || fail "rows on a terminal: $(tail -n 2 rows.log | cat -v)"

# The CSV loads with no options in pandas and R, formulae with quotes and
# commas included.
printf 'D"cp' > quote.txt
printf 'D,cp|(Dcrp&D\\rp)' > comma.txt
"$lab" --seeds 1-3 --generations 20 quote.txt comma.txt "$strategies"/*.txt --out load.csv
rows=$(($(wc -l < load.csv) - 1))
if /usr/bin/python3 -c 'import pandas' 2> /dev/null; then
  /usr/bin/python3 -c '
import sys, pandas
table = pandas.read_csv(sys.argv[1])
assert list(table.columns) == "seed,generation,player,formula,size,t,r,p,s,score,rounds,id,parent1,parent2,mutated".split(","), table.columns
assert len(table) == int(sys.argv[2]), len(table)
assert table["formula"][0] == "D\"cp" and table["formula"][1] == "(D,cp|(Dcrp&D\\\\rp))", table["formula"][:2]
assert str(table["score"].dtype) == "int64"' load.csv "$rows" || fail "pandas does not load the CSV"
else
  fail "pandas is missing: the CSV was not loaded (install python3-pandas)"
fi
if command -v Rscript > /dev/null; then
  Rscript -e '
table <- read.csv("load.csv")
stopifnot(identical(names(table), c("seed","generation","player","formula","size","t","r","p","s","score",
                                    "rounds","id","parent1","parent2","mutated")))
stopifnot(nrow(table) == as.integer(commandArgs(TRUE)[1]))
stopifnot(table$formula[1] == "D\"cp", table$formula[2] == "(D,cp|(Dcrp&D\\\\rp))", is.integer(table$score))' "$rows" ||
    fail "R does not load the CSV"
else
  fail "R is missing: the CSV was not loaded (install r-base-core)"
fi

finish "all lab checks passed"
