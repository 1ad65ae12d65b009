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

if [ "$reader" = pandas ]; then
  "${python[@]}" -c '
import sys, pandas
table = pandas.read_csv(sys.argv[1])
assert list(table.columns) == ("seed,generation,player,formula,size,t,r,p,s,score,rounds,id,parent1,parent2,mutated,"
                               "simplified,simplified_size,plays_like,behaviour").split(","), table.columns
assert len(table) == int(sys.argv[2]), len(table)
assert table["formula"][0] == "D\"cp" and table["formula"][1] == "(D,cp|(Dcrp&D\\\\rp))", table["formula"][:2]
assert str(table["score"].dtype) == "int64" and str(table["simplified_size"].dtype) == "int64"
# The README: behaviour as text, and "other" for plays_like empty.
table = pandas.read_csv(sys.argv[1], dtype={"behaviour": str}, keep_default_na=False)
assert table["behaviour"].str.fullmatch("[0-9a-f]{16}").all()
last = table[table.generation == table.generation.max()]
shares = last.plays_like.replace("", "other").value_counts(normalize=True)
assert abs(shares.sum() - 1) < 1e-9 and "tit_for_tat" in table.plays_like.values, shares
leaders = last.groupby("seed").plays_like.agg(lambda names: names.mode().iloc[0] or "other")
assert len(leaders) == 3, leaders' load.csv "$rows" || fail "pandas does not load the CSV"
else
  "$rscript" -e '
table <- read.csv("load.csv")
stopifnot(identical(names(table), c("seed","generation","player","formula","size","t","r","p","s","score",
                                    "rounds","id","parent1","parent2","mutated",
                                    "simplified","simplified_size","plays_like","behaviour")))
stopifnot(nrow(table) == as.integer(commandArgs(TRUE)[1]))
stopifnot(table$formula[1] == "D\"cp", table$formula[2] == "(D,cp|(Dcrp&D\\\\rp))", is.integer(table$score))
# The README: behaviour as text, and "other" for plays_like empty.
table <- read.csv("load.csv", colClasses = c(behaviour = "character"))
stopifnot(all(grepl("^[0-9a-f]{16}$", table$behaviour)), "tit_for_tat" %in% table$plays_like)
last <- table[table$generation == max(table$generation), ]
shares <- prop.table(table(ifelse(last$plays_like == "", "other", last$plays_like)))
stopifnot(abs(sum(shares) - 1) < 1e-9)' "$rows" ||
    fail "R does not load the CSV"
fi

finish "the CSV loads in $reader"
