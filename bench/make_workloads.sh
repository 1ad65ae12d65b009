#!/usr/bin/env bash
# Writes the benchmark workloads into a directory:
#   quantified/  100 formula files cycling through six quantified formulae,
#                and quantified/names, the list to pipe into the program;
#   classic/names the strategy library repeated to 100 file names.
#
#   make_workloads.sh OUTPUT_DIR SOURCE_DIR
set -eu
out=$1
source_dir=$(cd "$2" && pwd)
mkdir -p "$out/quantified" "$out/classic"
formulae=("Ed(Ddcp&Dcdp)" "Ad(Ddcp|~Dcdp)" "E'sDcrs" "A's(Dcrs|Drcs)" "E'sEd(Ddcs&Dcds-1)" "Ed(Ddcp&Dcdp)|A'sDcrs")
: > "$out/quantified/names"
for i in $(seq 0 99); do
  file="$out/quantified/player$i.txt"
  printf '%s\n' "${formulae[$((i % ${#formulae[@]}))]}" > "$file"
  echo "$file" >> "$out/quantified/names"
done
library=("$source_dir"/strategies/*.txt)
: > "$out/classic/names"
for i in $(seq 0 99); do
  echo "${library[$((i % ${#library[@]}))]}" >> "$out/classic/names"
done
