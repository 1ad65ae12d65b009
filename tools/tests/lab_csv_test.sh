#!/usr/bin/env bash
# ipdlogic-lab's CSV loads with no options in pandas or in R, formulae with
# quotes, commas and backslashes included; the analysis columns as the
# README reads them (behaviour as text, plays_like empty for none). Without the reader it names the
# test is skipped (exit status 77).
#
#   lab_csv_test.sh LAB SOURCE_DIR pandas|r
#
# IPDLOGIC_LAB_PYTHON (default /usr/bin/python3) and IPDLOGIC_LAB_RSCRIPT
# (default Rscript) name the interpreters.
set -u
lab=$(realpath "$1")
strategies="$(realpath "$2")/strategies"
reader=$3
plot="$(realpath "$2")/tools/plot/ipdlogic-plot"
read -ra python <<< "${IPDLOGIC_LAB_PYTHON:-/usr/bin/python3}"
rscript=${IPDLOGIC_LAB_RSCRIPT:-Rscript}
case "$reader" in
  pandas)
    if ! "${python[@]}" -c 'import pandas' > /dev/null 2>&1; then
      echo "SKIP: pandas is not installed for ${python[*]} (Debian: python3-pandas): the CSV is not loaded in pandas"
      exit 77
    fi ;;
  r)
    if ! command -v "$rscript" > /dev/null; then
      echo "SKIP: $rscript is not installed (Debian: r-base-core): the CSV is not loaded in R"
      exit 77
    fi ;;
  *) echo "lab_csv_test.sh: the reader is pandas or r, not $reader"; exit 2 ;;
esac
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
cd "$work"

printf 'D"cp' > quote.txt
printf 'D,cp|(Dcrp&D\\rp)' > comma.txt
"$lab" --seeds 1-3 --generations 20 quote.txt comma.txt "$strategies"/*.txt --out load.csv || fail "the run: status"
rows=$(($(wc -l < load.csv) - 1))
# A sweep whose runs end led by several behaviours, for the "what won" of the README.
"$lab" --random 10 --seeds 1-40 --out won.csv || fail "the sweep: status"
# ipdlogic-plot's leaders, to compare with, when its interpreter is here.
if [ -x /usr/bin/python3 ]; then
  "$plot" --winners --csv won.csv > winners.csv || fail "--winners: status"
fi

if [ "$reader" = pandas ]; then
  "${python[@]}" -c '
import sys, pandas
table = pandas.read_csv(sys.argv[1])
assert list(table.columns) == ("seed,generation,player,formula,size,t,r,p,s,score,rounds,id,parent1,parent2,mutated,"
                               "simplified,simplified_size,plays_like,behaviour").split(","), table.columns
assert len(table) == int(sys.argv[2]), len(table)
assert table["formula"][0] == "D\"cp" and table["formula"][1] == "(D,cp|(Dcrp&D\\\\rp))", table["formula"][:2]
assert str(table["score"].dtype) == "int64" and str(table["simplified_size"].dtype) == "int64"
# What won, as the README reads it: behaviour as text, "other" for plays_like empty,
# the leaders of the runs as ipdlogic-plot --winners has them.
runs = pandas.read_csv(sys.argv[4], dtype={"behaviour": str}, keep_default_na=False)
assert runs["behaviour"].str.fullmatch("[0-9a-f]{16}").all()
last = runs[runs.generation == runs.generation.max()]
shares = last.plays_like.replace("", "other").value_counts(normalize=True)
assert abs(shares.sum() - 1) < 1e-9 and "tit_for_tat" in runs.plays_like.values, shares

def leader(names):
    counts = names.value_counts()
    named = sorted(n for n in counts.index[counts == counts.max()] if n)
    return named[0] if named else "other"

leaders = last.groupby("seed").plays_like.agg(leader).value_counts()
winners = pandas.read_csv(sys.argv[3], index_col="plays_like")
assert leaders.to_dict() == winners.runs.to_dict(), (leaders, winners)' load.csv "$rows" winners.csv won.csv || fail "pandas does not load the CSV"
else
  "$rscript" -e '
table <- read.csv("load.csv")
stopifnot(identical(names(table), c("seed","generation","player","formula","size","t","r","p","s","score",
                                    "rounds","id","parent1","parent2","mutated",
                                    "simplified","simplified_size","plays_like","behaviour")))
stopifnot(nrow(table) == as.integer(commandArgs(TRUE)[1]))
stopifnot(table$formula[1] == "D\"cp", table$formula[2] == "(D,cp|(Dcrp&D\\\\rp))", is.integer(table$score))
# What won, as the README reads it, as in pandas.
runs <- read.csv("won.csv", colClasses = c(behaviour = "character"))
stopifnot(all(grepl("^[0-9a-f]{16}$", runs$behaviour)), "tit_for_tat" %in% runs$plays_like)
last <- runs[runs$generation == max(runs$generation), ]
shares <- prop.table(table(ifelse(last$plays_like == "", "other", last$plays_like)))
stopifnot(abs(sum(shares) - 1) < 1e-9)
leader <- function(names) {
  counts <- table(names)
  named <- sort(setdiff(names(counts)[counts == max(counts)], ""), method = "radix")
  if (length(named) > 0) named[1] else "other"
}
leaders <- table(tapply(last$plays_like, last$seed, leader))
if (file.exists("winners.csv")) {
  winners <- read.csv("winners.csv")
  stopifnot(identical(as.vector(leaders[winners$plays_like]), winners$runs), sum(leaders) == sum(winners$runs))
}' "$rows" ||
    fail "R does not load the CSV"
fi

finish "the CSV loads in $reader"
