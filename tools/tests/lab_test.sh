#!/usr/bin/env bash
# ipdlogic-lab end to end: each option's effect on real runs, its bad values
# with their messages, the parameters kept beside the data, whole rows, the
# progress bar. It needs nothing but the build; loading the CSV in pandas and
# R is lab_csv_test.sh.
#
#   lab_test.sh LAB SOURCE_DIR
set -u
lab=$(realpath "$1")
source_dir=$(realpath "$2")
strategies="$source_dir/strategies"
csv_test="$(dirname "$(realpath "$0")")/lab_csv_test.sh"
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
cd "$work"

# every ROWS.csv AWK-CONDITION MESSAGE: the file has rows and the condition
# holds for every one. The fields are read as CSV (a quoted field may hold
# commas and doubled quotes) and named by the header: numbers seed gen
# player size t r p s score rounds id, and the strings formula, parent1,
# parent2 and mutated, as written; with the analysis, the number
# simplified_size and the strings simplified, plays_like and behaviour.
every() {
  awk -v message="$3" '
    function split_csv(line, out,    n, i, c, field, quoted) {
      n = 0; field = ""; quoted = 0
      for (i = 1; i <= length(line); i++) {
        c = substr(line, i, 1)
        if (quoted) {
          if (c == "\"" && substr(line, i + 1, 1) == "\"") { field = field c; i++ }
          else if (c == "\"") quoted = 0
          else field = field c
        } else if (c == "\"") quoted = 1
        else if (c == ",") { out[++n] = field; field = "" }
        else field = field c
      }
      out[++n] = field
      return n
    }
    NR == 1 { columns = split_csv($0, name); next }
    {
      if (split_csv($0, field) != columns) { print "FAIL: " message ": row " $0; failed = 1; exit }
      for (i = 1; i <= columns; i++) value[name[i]] = field[i]
      seed = value["seed"] + 0; gen = value["generation"] + 0; player = value["player"] + 0
      size = value["size"] + 0; t = value["t"] + 0; r = value["r"] + 0; p = value["p"] + 0; s = value["s"] + 0
      score = value["score"] + 0; rounds = value["rounds"] + 0; id = value["id"] + 0; formula = value["formula"]
      parent1 = value["parent1"]; parent2 = value["parent2"]; mutated = value["mutated"]
      simplified = value["simplified"]; simplified_size = value["simplified_size"] + 0
      plays_like = value["plays_like"]; behaviour = value["behaviour"]
      if (!('"$2"')) { print "FAIL: " message ": row " $0; failed = 1; exit }
    }
    END { if (NR < 2 && !failed) { print "FAIL: " message ": no rows"; failed = 1 } exit failed }' "$1" ||
    failures=$((failures + 1))
}

# whole_rows ROWS.csv MESSAGE: the header and rows of their fields only, the
# last one ended by its newline.
whole_rows() {
  [ "$(tail -c 1 "$1" | od -An -c | tr -d ' ')" = '\n' ] || fail "$2: the last row is cut"
  [ "$(head -n 1 "$1")" = "$header,simplified,simplified_size,plays_like,behaviour" ] || fail "$2: no header"
  local row='^-?[0-9]+,[0-9]+,[0-9]+,"([^"]|"")*",[0-9]+,[0-9]+,[0-9]+,[0-9]+,[0-9]+,[0-9]+,[0-9]+,[0-9]+,[0-9]*,[0-9]*,[01]'
  row+=',"([^"]|"")*",[0-9]+,[a-z0-9_]*,[0-9a-f]{16}$'
  tail -n +2 "$1" | grep -qvE "$row" && fail "$2: a row is not whole: $(tail -n +2 "$1" | grep -vE "$row" | head -n 1)"
}

header=seed,generation,player,formula,size,t,r,p,s,score,rounds,id,parent1,parent2,mutated

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
every every.csv "size >= 1 && formula ~ /^[(D]/" "sizes and formulae"

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
every noisy.csv "t > 0 && s > 0 && r < 50" "--noise 0.2 flips moves"
"$lab" --generations 1 --noise 1 "$cooperate" "$cooperate" --out flipped.csv
every flipped.csv "p >= 49" "--noise 1 flips nearly every move"

# Rounds per row: the tournament's length. Without --continuation every
# tournament plays --rounds; with it the length is drawn, one per
# tournament, up to the cap (100 by default), and shared by every player.
every rules.csv "rounds == 7" "--rounds 7: the rounds column"
"$lab" --random 5 --seeds 1-20 --generations 10 --continuation 0.9 --out drawn.csv || fail "continuation: status"
every drawn.csv "rounds >= 1 && rounds <= 100 && t + r + p + s == rounds * 4" "--continuation: rounds and tallies"
[ "$(cut -d, -f1,2,11 drawn.csv | sort -u | cut -d, -f1,2 | uniq -d)" = "" ] || fail "--continuation: lengths differ within a tournament"
[ "$(tail -n +2 drawn.csv | cut -d, -f11 | sort -u | wc -l)" -gt 10 ] || fail "--continuation: the lengths do not vary"
"$lab" --random 5 --generations 10 --continuation 0 --rounds 30 --out once.csv
every once.csv "rounds == 1" "--continuation 0: one round"
# The defaults: every child crossed, none mutated; the first population has no parents.
every plain.csv "mutated == \"0\" && ((gen == 0) == (parent2 == \"\"))" "defaults: every child crossed, none mutated"

# The parameters: FILE.json beside the data, or a line on standard error.
"$lab" --random 4 --seeds 1-3,7 --generations 2 --mutation 0.125 --jobs 3 --out kept.csv > kept.out 2> kept.err
[ -s kept.out ] && fail "--out: standard output not empty"
[ -s kept.err ] && fail "--out: standard error not empty: $(cat kept.err)"
# The record is one line of JSON in a fixed form; the tool's own path, the
# first argument, is left out of the comparison.
version=$("$lab" --version | cut -d' ' -f2)
record() { sed 's/"arguments": \["[^"]*"/"arguments": [LAB/' "$1"; }
expected='{"program": "ipdlogic-lab", "version": "'$version'", "arguments": [LAB, "--random", "4", "--seeds", "1-3,7",'
expected+=' "--generations", "2", "--mutation", "0.125", "--jobs", "3", "--out", "kept.csv"], "population":'
expected+=' {"source": "random", "players": 4}, "seeds": [[1, 3], [7, 7]], "runs": 4, "generations": 2, "rounds": 50,'
expected+=' "payoffs": {"T": 5, "R": 3, "P": 1, "S": 0}, "mutation": 0.125, "noise": 0, "every": 1, "out": "kept.csv",'
expected+=' "selection": "roulette", "elite": 0, "crossover": 1, "continuation": null, "until_fixed": false, "analysis": true,'
expected+=' "jobs": 3}'
[ "$(record kept.csv.json)" = "$expected" ] || fail "--out: FILE.json: $(cat kept.csv.json)"
[ "$(wc -l < kept.csv.json)" = 1 ] || fail "--out: FILE.json is not one line"
"$lab" --generations 1 "$cooperate" > piped.csv 2> piped.json || fail "standard output: status"
grep -qF '"population": {"source": "files", "files": ["'"$cooperate"'"], "players": 1}' piped.json &&
  grep -qF ', "out": null, ' piped.json || fail "standard output: the parameters on standard error: $(cat piped.json)"
ls "$cooperate" "$cooperate" | "$lab" --generations 1 > /dev/null 2> names.json
grep -q '"population": {"source": "standard input", "players": 2}' names.json || fail "names: $(cat names.json)"

# The analysis columns. Without them the rows are those of the analysis run
# cut short, and the record says so.
"$lab" --random 10 --seeds 3-5 --generations 30 --mutation 0.1 --out analysed.csv || fail "analysis: status"
"$lab" --random 10 --seeds 3-5 --generations 30 --mutation 0.1 --no-analysis --out plain_rows.csv ||
  fail "--no-analysis: status"
[ "$(head -n 1 plain_rows.csv)" = "$header" ] || fail "--no-analysis: header $(head -n 1 plain_rows.csv)"
cmp -s plain_rows.csv <(sed -E 's/,"([^"]|"")*",[0-9]+,[a-z0-9_]*,[0-9a-f]{16}$//; 1s/,simplified,.*//' analysed.csv) ||
  fail "--no-analysis: other rows than the analysis run's first columns"
grep -qF '"until_fixed": false, "analysis": false, "jobs": ' plain_rows.csv.json || fail "--no-analysis: $(cat plain_rows.csv.json)"
whole_rows analysed.csv "analysis"
every analysed.csv "simplified_size >= 1 && simplified_size <= size" "analysis: simplified sizes"
# One formula, one analysis, in every run; and a behaviour is one library name.
awk -F, 'NR > 1 { n = split($0, f, ","); a = f[n - 3] "," f[n - 2] "," f[n - 1] "," f[n]
                  key = substr($0, index($0, "\""), length($0) - length(a) - index($0, "\""))
                  if (key in seen && seen[key] != a) { print "FAIL: " key ": " seen[key] " and " a; bad = 1 }
                  seen[key] = a
                  if (f[n - 1] != "" && f[n] in named && named[f[n]] != f[n - 1]) { print "FAIL: " f[n]; bad = 1 }
                  if (f[n - 1] != "") named[f[n]] = f[n - 1] }
             END { exit bad }' analysed.csv || fail "analysis: a formula analysed two ways"
[ "$(tail -n +2 analysed.csv | awk -F, '{ print $NF }' | sort -u | wc -l)" -gt 3 ] || fail "analysis: too few behaviours"
# The library's own strategies play like themselves, but hard_tit_for_tat,
# which there plays like grudger, the first in the order of names.
"$lab" --generations 1 "$strategies"/*.txt --out library.csv || fail "library: status"
expected=$(cd "$strategies" && ls *.txt | sed 's/\.txt$//; s/^hard_tit_for_tat$/grudger/' | tr '\n' ' ')
[ "$(tail -n +2 library.csv | awk -F, '{ printf "%s ", $(NF - 1) }')" = "$expected" ] ||
  fail "library: plays like $(tail -n +2 library.csv | awk -F, '{ printf "%s ", $(NF - 1) }')"
[ "$(grep -c ',grudger,2b0268a93fa8e3bf$' library.csv)" = 2 ] || fail "library: the identifier of grudger changed"
# The fingerprint is played over the run's rounds.
"$lab" --generations 1 --rounds 7 "$strategies"/tit_for_tat.txt "$strategies"/tit_for_tat.txt --out short.csv
[ "$(tail -n 1 short.csv | cut -d, -f19)" = "$(grep ',tit_for_tat,' library.csv | head -n 1 | cut -d, -f19)" ] &&
  fail "--rounds 7: the behaviour of 50 rounds"
[ "$(tail -n 1 short.csv | cut -d, -f18)" = tit_for_tat ] || fail "--rounds 7: $(tail -n 1 short.csv)"

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
refused "missing file" "cannot open formula file: no_such.txt" no_such.txt
printf '(Drcp' > unbalanced.txt
refused "bad formula" "unbalanced parentheses in formula" unbalanced.txt
for i in $(seq 101); do echo "$cooperate"; done > too_many
"$lab" < too_many > many.out 2> many.err
[ "$?" = 1 ] && [ "$(cat many.err)" = "Error: too many formula files (at most 100)" ] || fail "101 names: $(cat many.err)"
[ -s many.out ] && fail "101 names: wrote to standard output"
refused "elite with moran" "--elite cannot be given with --selection moran: a Moran event replaces one player, not a generation" --selection moran --elite 1
refused "tournament too large" "--selection: 'tournament:4' draws more players than the population of 3 holds: K is from 2 to 3" \
  --selection tournament:4 --random 3
refused "elites too many" "--elite: '2' is not below the population of 2: E is from 0 to 1" --elite 2 "$cooperate" "$cooperate"
refused "unwritable" "cannot open no_such_dir/x.csv for writing: No such file or directory" --random 3 --out no_such_dir/x.csv
"$lab" --random 3 --out /dev/full 2> full.err
[ "$?" = 1 ] || fail "/dev/full: status"
grep -qx 'Error: cannot write /dev/full: No space left on device' full.err || fail "/dev/full: $(cat full.err)"

# Rows written are whole, even when the run is killed: here once rows have
# reached the file, in the middle of a sweep far longer than the wait for them.
"$lab" --random 100 --seeds 1-1000 --rounds 100 --out interrupted.csv &
running=$!
until [ "$(stat -c %s interrupted.csv 2> /dev/null || echo 0)" -gt 65536 ] || ! kill -0 "$running" 2> /dev/null; do
  sleep 0.1
done
kill -TERM "$running" 2> /dev/null
wait "$running"
whole_rows interrupted.csv "killed"
[ "$(wc -l < interrupted.csv)" -gt 100 ] || fail "killed: no rows were written before"
whole_rows every.csv "a run that ends"

# The progress bar: on a terminal only.
script -qec "$lab --random 5 --seeds 1-3 --generations 50 --out bar.csv" bar.log > /dev/null 2>&1 || fail "bar: status"
grep -qE '100%  run 3/3, generation 50/50, [0-9:]+ elapsed' bar.log || fail "no progress bar on a terminal: $(cat -v bar.log)"
"$lab" --random 5 --seeds 1-3 --generations 50 --out nobar.csv 2> nobar.err
[ -s nobar.err ] && fail "a progress bar without a terminal"
cmp -s bar.csv nobar.csv || fail "the progress bar changed the data"
script -qec "$lab --random 5 --seeds 1-3 --generations 50" rows.log > /dev/null 2>&1
grep -q 'run 3/3' rows.log && fail "a progress bar among rows on the terminal"
grep -q '^3,49,4,' rows.log || fail "rows on a terminal: $(tail -n 2 rows.log | cat -v)"

# The loading tests skip themselves, named for what they need, when it is
# missing.
IPDLOGIC_LAB_PYTHON=/nonexistent/python3 "$csv_test" "$lab" "$source_dir" pandas > skipped.out 2>&1
[ $? = 77 ] && grep -q '^SKIP: pandas is not installed for /nonexistent/python3 ' skipped.out ||
  fail "the pandas test without pandas: $(cat skipped.out)"
IPDLOGIC_LAB_RSCRIPT=/nonexistent/Rscript "$csv_test" "$lab" "$source_dir" r > skipped.out 2>&1
[ $? = 77 ] && grep -q '^SKIP: /nonexistent/Rscript is not installed ' skipped.out ||
  fail "the R test without R: $(cat skipped.out)"

finish "all lab checks passed"
