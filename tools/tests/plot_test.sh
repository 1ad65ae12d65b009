#!/usr/bin/env bash
# ipdlogic-plot end to end: its figures for seeded runs checked against the
# tables and listings of those runs, input it must refuse, and its work
# without matplotlib. The PNG itself is checked by plot_png_test.sh. Without
# /usr/bin/python3 the test is skipped (exit status 77).
#
#   plot_test.sh PROGRAM PLOT SOURCE_DIR LAB
set -u
program=$(realpath "$1")
plot=$(realpath "$2")
strategies="$(realpath "$3")/strategies"
png_test="$(dirname "$(realpath "$0")")/plot_png_test.sh"
if [ ! -x /usr/bin/python3 ]; then
  echo "SKIP: /usr/bin/python3 is not installed (Debian: python3): ipdlogic-plot cannot run"
  exit 77
fi
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
cd "$work"

# The figures of every printed generation, computed here from the output
# itself: the generation is the number of tournaments begun, less one; a
# listed formula's size is its count of "(", "D" and "R", which holds for
# formulae whose letters are lower case.
expected_csv() {
  awk '
    /^>simulating$/ { tournaments++ }
    /^[0-9]+ -------------------------------------------$/ {
      if (!listing) { nodes = 0; listed = 0 }
      listing = 1; getline formula; nodes += gsub(/[(DR]/, "", formula); listed++; next
    }
    /^  player / { in_table = 1; n = 0; getline; next }
    in_table && /^-+$/ {
      for (i = 2; i <= n; i++)
        for (j = i; j > 1 && scores[j - 1] > scores[j]; j--) { t = scores[j]; scores[j] = scores[j - 1]; scores[j - 1] = t }
      median = n % 2 ? scores[(n + 1) / 2] : (scores[n / 2] + scores[n / 2 + 1]) / 2
      printf "%d,%d,%s,%d,%.2f\n", tournaments - 1, scores[1], median, scores[n], nodes / listed
      delete scores; in_table = 0; listing = 0; next
    }
    in_table { scores[++n] = $6 }
    BEGIN { print "generation,min_score,median_score,max_score,mean_size" }
  ' "$1"
}

for seed in 11 42; do
  "$program" -r -e -s "$seed" > "run$seed"
  "$plot" --csv "run$seed" > "csv$seed" 2> err || fail "seed $seed: status $?: $(cat err)"
  expected_csv "run$seed" > "expected$seed"
  cmp -s "csv$seed" "expected$seed" || { fail "seed $seed: CSV differs from the run's tables"; diff "expected$seed" "csv$seed"; }
  [ "$(cut -d, -f1 "csv$seed" | tr '\n' ' ')" = "generation 0 9 19 29 39 49 59 69 79 89 99 " ] ||
    fail "seed $seed: generations"
done
"$plot" --csv < run11 > piped || fail "CSV from a pipe: status"
cmp -s piped csv11 || fail "CSV from a pipe differs from CSV from a file"
"$plot" --csv -o written run11 || fail "CSV to a file: status"
cmp -s written csv11 || fail "CSV written to a file differs"

# The library run's generation 0: its table is the classic tournament's
# (minimum 986, maximum 1448, middle scores 1324 and 1332), and its twelve
# formulae have 46 nodes.
ls "$strategies"/*.txt | "$program" -e > library
[ "$("$plot" --csv library | sed -n 2p)" = "0,986,1328,1448,3.83" ] || fail "library: $("$plot" --csv library | sed -n 2p)"

# Letters at fixed places are never structure: (A(D()p) has 2 nodes.
printf 'A(D()p)' > parens.txt
printf 'Dcrp' > tft.txt
printf "E's Dcrs | Dcrp" > grudger.txt
printf 'parens.txt tft.txt grudger.txt' | "$program" -e > letters
[ "$("$plot" --csv letters | sed -n 2p | cut -d, -f5)" = "2.33" ] || fail "sizes with parentheses as letters"

# A failed write is reported, not lost when the interpreter exits.
"$plot" --csv run11 > /dev/full 2> full.err
[ $? = 1 ] || fail "CSV to /dev/full: exit status"
[ "$(cat full.err)" = "ipdlogic-plot: cannot write standard output: No space left on device" ] ||
  fail "CSV to /dev/full: $(cat full.err)"

# Without matplotlib (here: the interpreter without its site packages, where
# Debian's matplotlib lives) CSV still works, a PNG is refused with a
# message, and the PNG test reports itself skipped.
without=(/usr/bin/python3 -S)
"${without[@]}" "$plot" --csv run11 > csv_without 2> err || fail "CSV without matplotlib: status $?: $(cat err)"
cmp -s csv_without csv11 || fail "CSV without matplotlib differs"
"${without[@]}" "$plot" --seed 11 -o without.png run11 > out 2> err
[ $? = 1 ] || fail "PNG without matplotlib: exit status"
[ "$(cat err)" = "ipdlogic-plot: a figure needs matplotlib (Debian: python3-matplotlib); --csv works without it" ] ||
  fail "PNG without matplotlib: $(cat err)"
[ -e without.png ] && fail "PNG without matplotlib: a file was written"
IPDLOGIC_PLOT_PYTHON="${without[*]}" "$png_test" "$program" "$plot" "$4" > out 2>&1
[ $? = 77 ] || fail "the PNG test without matplotlib: exit status, expected 77 (skipped): $(cat out)"
grep -q '^SKIP: matplotlib is not installed for /usr/bin/python3 -S ' out || fail "the PNG test without matplotlib: $(cat out)"

# The lab's CSV: every recorded generation, per seed. The generations
# ipdlogic prints have the figures of its own output.
lab=$4
"$lab" --random 10 --seed 42 --out lab42.csv
"$program" -r -e -s 42 > run42
"$plot" --csv lab42.csv > lab42.figures || fail "lab CSV: status"
[ "$(head -n 1 lab42.figures)" = "seed,generation,players,min_score,median_score,max_score,mean_score_per_encounter,mean_size,top_formula_share" ] ||
  fail "lab CSV: header $(head -n 1 lab42.figures)"
[ "$(wc -l < lab42.figures)" = 101 ] || fail "lab CSV: not 100 generations"
awk -F, 'NR == 1 { print "generation,min_score,median_score,max_score,mean_size"; next }
         $2 == 0 || $2 % 10 == 9 { print $2 "," $4 "," $5 "," $6 "," $8 }' lab42.figures > lab42.printed
"$plot" --csv run42 | cmp -s - lab42.printed || fail "lab CSV: the printed generations differ from the program's figures"
# Per encounter: the mean score over 50 rounds times 9 opponents; the share
# of the most common formula, here of identical players.
/usr/bin/python3 - lab42.csv lab42.figures << 'PY' || fail "lab CSV: mean score per encounter or formula share"
import csv, collections, sys
rows = list(csv.DictReader(open(sys.argv[1])))
figures = {int(r["generation"]): r for r in csv.DictReader(open(sys.argv[2]))}
for generation in (0, 37, 99):
    players = [r for r in rows if int(r["generation"]) == generation]
    mean = sum(int(r["score"]) for r in players) / len(players) / (50 * 9)
    assert abs(float(figures[generation]["mean_score_per_encounter"]) - mean) < 1e-4, generation
    share = max(collections.Counter(r["formula"] for r in players).values()) / len(players)
    assert abs(float(figures[generation]["top_formula_share"]) - share) < 1e-4, generation
PY
"$lab" --random 6 --seeds 1-4 --generations 12 --payoffs 4,2,1,0 --out sweep.csv
"$plot" --csv sweep.csv > sweep.figures || fail "sweep: status"
[ "$(cut -d, -f1 sweep.figures | tail -n +2 | uniq | tr '\n' ' ')" = "1 2 3 4 " ] || fail "sweep: seeds"
[ "$(wc -l < sweep.figures)" = 49 ] || fail "sweep: not 4 x 12 generations"
# Payoffs come from the run's record beside the CSV, or --payoffs; scores
# that follow other payoffs are refused rather than drawn against wrong lines.
"$plot" --csv < sweep.csv > /dev/null 2> payoffs.err && fail "sweep without its payoffs: not refused"
grep -q 'does not follow the payoffs 5,3,1,0; give the run.s with --payoffs T,R,P,S$' payoffs.err || fail "payoffs: $(cat payoffs.err)"
"$plot" --csv --payoffs 4,2,1,0 < sweep.csv | cmp -s - sweep.figures || fail "--payoffs differs from the record"

# Fixation: the share of runs fixed on each formula and the generation of
# fixation, as the lab's record has them; lineage: the ancestry of the last
# generation's most common formula, every ancestor back to generation 0.
printf 'Dcrp' > tft.txt
printf 'Drcp|~Drcp' > defect.txt
"$lab" --selection moran --crossover 0 --until-fixed --generations 100000 --seeds 1-200 --rounds 10 \
  tft.txt defect.txt defect.txt defect.txt --out fixed.csv
"$plot" --fixation --csv fixed.csv > fixed.figures || fail "--fixation: status"
/usr/bin/python3 - fixed.csv fixed.figures << 'PY' || fail "--fixation: the figures differ from the run's record"
import csv, json, statistics, sys
fixation = json.load(open(sys.argv[1] + ".json"))["fixation"]
figures = {r["formula"]: r for r in csv.DictReader(open(sys.argv[2]))}
assert set(figures) == set(fixation["by_formula"]), figures
for formula, count in fixation["by_formula"].items():
    assert int(figures[formula]["runs"]) == count and abs(float(figures[formula]["share"]) - count / 200) < 1e-4
    times = [run["generation"] for run in fixation["by_run"] if run["formula"] == formula]
    assert abs(float(figures[formula]["mean_generations"]) - statistics.mean(times)) < 0.01, formula
PY
"$lab" --random 8 --seeds 3-4 --generations 40 --crossover 0.6 --mutation 0.2 --out lineage.csv
for seed in 3 4; do
  "$plot" --lineage --seed "$seed" --csv lineage.csv > "lineage$seed" || fail "--lineage: status"
  /usr/bin/python3 - lineage.csv "lineage$seed" "$seed" << 'PY' || fail "--lineage --seed $seed: not the ancestry"
import collections, csv, sys
seed = int(sys.argv[3])
rows = [r for r in csv.DictReader(open(sys.argv[1])) if int(r["seed"]) == seed]
tree = {int(r["id"]): r for r in csv.DictReader(open(sys.argv[2]))}
last = [r for r in rows if int(r["generation"]) == 39]
common = collections.Counter(r["formula"] for r in last).most_common(1)[0][0]
assert {int(r["id"]) for r in last if r["formula"] == common} <= set(tree), "holders missing"
for key, entry in tree.items():
    parents = [int(p) for p in (entry["parent1"], entry["parent2"]) if p]
    assert all(p in tree for p in parents), ("a parent is missing", key)
    assert (entry["generation"] == "0") == (not parents), key
    first = min(int(r["generation"]) for r in rows if int(r["id"]) == key)
    assert int(entry["generation"]) == first and any(r["formula"] == entry["formula"] for r in rows if int(r["id"]) == key)
PY
done

# Behaviours, from the analysis columns: per generation the players' shares
# by plays_like, "other" for none, and the distinct formulae and behaviours
# per run; per run the leader of its last generation.
"$lab" --random 8 --seeds 5-10 --generations 25 --mutation 0.1 --out analysed.csv
"$plot" --behaviours --csv analysed.csv > behaviours.figures || fail "--behaviours: status"
"$plot" --winners --csv analysed.csv > winners.figures || fail "--winners: status"
/usr/bin/python3 - analysed.csv behaviours.figures winners.figures << 'PY' || fail "--behaviours, --winners: not the rows' figures"
import collections, csv, statistics, sys
rows = list(csv.DictReader(open(sys.argv[1])))
course = list(csv.DictReader(open(sys.argv[2])))
assert [int(r["generation"]) for r in course] == list(range(25)), "generations"
assert list(course[0])[-1] == "share_other", "other is not last"
for figures in course:
    players = [r for r in rows if int(r["generation"]) == int(figures["generation"])]
    shares = collections.Counter(r["plays_like"] or "other" for r in players)
    for name, count in shares.items():
        assert abs(float(figures["share_" + name]) - count / len(players)) < 1e-4, (name, figures)
    assert abs(sum(float(v) for k, v in figures.items() if k.startswith("share_")) - 1) < 1e-3
    for column, key in (("mean_formulae", "formula"), ("mean_behaviours", "behaviour")):
        per_run = [len({r[key] for r in players if r["seed"] == seed}) for seed in {r["seed"] for r in players}]
        assert abs(float(figures[column]) - statistics.mean(per_run)) < 0.01, (column, figures)
    assert float(figures["mean_behaviours"]) <= float(figures["mean_formulae"])
winners = list(csv.DictReader(open(sys.argv[3])))
assert sum(int(w["runs"]) for w in winners) == 6
leaders = collections.Counter()
for seed in set(r["seed"] for r in rows):
    last = collections.Counter(r["plays_like"] for r in rows if r["seed"] == seed and r["generation"] == "24")
    # The most players; a tie goes to a name before none, then to the first name.
    leaders[sorted(last, key=lambda n: (-last[n], n == "", n))[0] or "other"] += 1
assert {w["plays_like"]: int(w["runs"]) for w in winners} == dict(leaders), (winners, leaders)
PY
# One seed: a run of the library's strategies with copies of tit for tat.
printf 'Dcrp' > tft.txt
"$lab" --generations 1 tft.txt tft.txt tft.txt "$strategies"/always_defect.txt --out library_run.csv
[ "$("$plot" --winners --csv library_run.csv)" = "$(printf 'plays_like,runs,share\ntit_for_tat,1,1.0000')" ] ||
  fail "--winners: $("$plot" --winners --csv library_run.csv)"
"$plot" --behaviours --csv library_run.csv | grep -qx '0,1,2.00,2.00,0.7500,0.2500' ||
  fail "--behaviours: $("$plot" --behaviours --csv library_run.csv)"

# Input that holds no generation to plot, or a broken one, is refused.
refused() {
  local name=$1
  shift
  "$plot" --csv "$@" > refused.out 2> refused.err
  [ $? = 1 ] || fail "$name: not refused"
  [ -s refused.out ] && fail "$name: wrote output"
  grep -q '^ipdlogic-plot: ' refused.err || fail "$name: no message"
}
refused "empty input" /dev/null
ls "$strategies"/*.txt | "$program" > tournament
refused "a tournament without listings" tournament
head -n "$(grep -n -m 2 '^  player ' run11 | tail -n 1 | cut -d: -f1)" run11 > cut_short
refused "output ending inside a table" cut_short
refused "a missing file" no_such_file
sed '0,/^3 ------/s/^3 ------/7 ------/' run11 > renumbered
refused "a listing numbered out of order" renumbered
sed '0,/^(/s/^(/(&/' run11 > broken_formula
refused "a formula that does not close" broken_formula
head -n 1 lab42.csv > header_only.csv
refused "a CSV without rows" header_only.csv
sed '5s/^42,0,3,/42,0,7,/' lab42.csv > misordered.csv
refused "a CSV with players out of order" misordered.csv
refused "--lineage of ipdlogic's output" --lineage run11
refused "--lineage of a seed not in the CSV" --lineage --seed 99 lineage.csv
"$lab" --random 4 --generations 3 --no-analysis --out plain.csv
refused "--behaviours without analysis" --behaviours plain.csv
grep -qF 'no column simplified: it was written by an ipdlogic-lab without analysis (ipdlogic-lab --no-analysis' refused.err ||
  fail "--behaviours without analysis: $(cat refused.err)"
refused "--winners of ipdlogic's output" --winners run11

finish "all plot checks passed"
