#!/usr/bin/env bash
# ipdlogic-lab's dynamics, read with Python: lineage ids and parents hold
# together in every recorded generation of random runs by every scheme,
# copies without mutation are their parents, and --until-fixed records the
# fixed population and says so in the run record.
#
#   lab_dynamics_test.sh LAB SOURCE_DIR
set -u
[ -x /usr/bin/python3 ] || { echo "SKIP: /usr/bin/python3 is not installed (Debian: python3)"; exit 77; }
lab=$(realpath "$1")
strategies="$2/strategies"
lineage_walk="$(realpath "$2")/tools/tests/lab_lineage.py"
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
cd "$work"

walk() { /usr/bin/python3 "$lineage_walk" "$@" > walk.out 2>&1 || fail "lineage $*: $(cat walk.out)"; }
"$lab" --random 12 --seeds 1-15 --generations 25 --selection tournament:3 --elite 2 --crossover 0.5 --mutation 0.3 --out elite.csv
walk elite.csv generational 2
"$lab" --random 10 --seeds 1-15 --generations 25 --selection moran --crossover 0.5 --mutation 0.3 --out moran.csv
walk moran.csv moran 0
"$lab" --seeds 1-8 --generations 25 --crossover 0.3 --mutation 0.2 --elite 1 "$strategies"/*.txt --out copies.csv
walk copies.csv generational 1 1
"$lab" --random 10 --seed 4 --generations 30 --out plain.csv
walk plain.csv generational 0

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

finish "all lab dynamics checks passed"
