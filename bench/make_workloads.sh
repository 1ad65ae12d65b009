#!/usr/bin/env bash
# Writes the benchmark workloads into a directory, each as formula files and
# a `names` list to pipe into the program:
#   quantified/   100 files cycling through six quantified formulae;
#   classic/      the strategy library repeated to 100 file names;
#   largest/      the 100 longest of the 4,000 formulae that `ipdlogic -r -s N`
#                 lists for N = 1 to 400 (109 to 563 characters), longest
#                 first, ties in order of their text;
#   nest/         the one of them with six nested quantifiers that the
#                 landed program took longest on (seed 151, player 4), among
#                 99 players of tit for tat;
#   triple/       100 copies of Ed(Ee(Ef(Ddep&Defp&Dfdp)));
#   populations/P for P = 1 to 40: the 100 formulae of ten `-r` listings,
#                 seeds 10P-9 to 10P, as files;
#   chain/        10 players of one formula of about 170 KB: the random
#                 formulae of seeds 401 on, joined by & and | to the right,
#                 with two CHANCE atoms;
#   pair/         two players, tit for tat and grudger.
#
#   make_workloads.sh OUTPUT_DIR SOURCE_DIR PROGRAM
set -eu
out=$1
source_dir=$(cd "$2" && pwd)
program=$3

# write_names DIR: lists DIR's player files, in order, into DIR/names.
write_names() { for ((i = 0; ; ++i)); do [ -e "$1/player$i.txt" ] || break; echo "$1/player$i.txt"; done > "$1/names"; }

# write_players DIR < FORMULAE: one file per line of input.
write_players() {
  mkdir -p "$1"
  local i=0
  while IFS= read -r formula; do
    printf '%s\n' "$formula" > "$1/player$i.txt"
    i=$((i + 1))
  done
  write_names "$1"
}

# The random listing of one seed: one formula a line.
listing() { "$program" -r -s "$1" | awk '/^[0-9]+ -+$/ { getline; print }'; }

formulae=("Ed(Ddcp&Dcdp)" "Ad(Ddcp|~Dcdp)" "E'sDcrs" "A's(Dcrs|Drcs)" "E'sEd(Ddcs&Dcds-1)" "Ed(Ddcp&Dcdp)|A'sDcrs")
for i in $(seq 0 99); do echo "${formulae[$((i % ${#formulae[@]}))]}"; done | write_players "$out/quantified"

library=("$source_dir"/strategies/*.txt)
mkdir -p "$out/classic"
for i in $(seq 0 99); do echo "${library[$((i % ${#library[@]}))]}"; done > "$out/classic/names"

for seed in $(seq 1 400); do listing "$seed"; done > "$out/random4000"
awk '{ print length($0) "\t" $0 }' "$out/random4000" | LC_ALL=C sort -t "$(printf '\t')" -k1,1nr -k2,2 | head -n 100 |
  cut -f2- | write_players "$out/largest"

{ listing 151 | sed -n 5p; for _ in $(seq 99); do echo Dcrp; done; } | write_players "$out/nest"

for _ in $(seq 100); do echo 'Ed(Ee(Ef(Ddep&Defp&Dfdp)))'; done | write_players "$out/triple"

for population in $(seq 1 40); do
  for seed in $(seq $((10 * population - 9)) $((10 * population))); do listing "$seed"; done |
    write_players "$out/populations/$population"
done

# About 170 KB of random formulae, each joined to the rest on its right, so
# that every subformula beside the two CHANCE atoms' path draws nothing.
awk -v target=170000 '
  { if (total < target) { parts[n++] = $0; total += length($0) + 3 } }
  END {
    text = "R0.25"
    for (i = n - 1; i >= 0; --i) {
      if (i == int(n / 2)) text = "(R0.5&" text ")"
      text = "(" parts[i] (i % 2 ? "|" : "&") text ")"
    }
    print text
  }' < <(for seed in $(seq 401 2400); do listing "$seed"; done) > "$out/chain.txt"
for _ in $(seq 10); do cat "$out/chain.txt"; done | write_players "$out/chain"

printf '%s\n' Dcrp 'E'"'"'sDcrs|Dcrp' | write_players "$out/pair"
