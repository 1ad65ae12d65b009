#!/usr/bin/env bash
# Fixation frequencies of ipdlogic-lab's Moran process (copies, no
# mutation) against the exact fixation probability, at sizes beyond the
# test suite's: pairs of strategies that differ in play and neutral pairs,
# several population sizes, rounds and payoffs, SEEDS runs per case (default
# 20000). Prints one line per case (tools/tests/fixation_check.py) and fails
# when a case is beyond three standard errors.
#
#   bench/fixation.sh [SEEDS]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
seeds=${1:-20000}
build="$source_dir/build-bench"
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DIPDLOGIC_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target ipdlogic-lab > /dev/null
alternator='~Drcp&~Drc0'
grudger="E's Dcrs | Dcrp"
wsls='(Drcp&~Dcrp)|(~Drcp&Dcrp)'
/usr/bin/python3 "$source_dir/tools/tests/fixation_check.py" "$build/tools/ipdlogic-lab" "$seeds" \
  10 10 5,3,1,0 'Dcrp' 'Drcp|~Drcp' \
  10 50 5,3,1,0 'Dcrp' 'Drcp|~Drcp' \
  20 10 5,3,1,0 'Dcrp' 'Drcp|~Drcp' \
  10 20 5,3,1,0 'Drcp|~Drcp' 'Dcrp' \
  12 20 4,3,1,0 "$grudger" "$alternator" \
  8 30 5,3,0,1 "$wsls" 'Drcp|~Drcp' \
  6 10 500,300,100,0 'Dcrp' 'Drcp|~Drcp' \
  10 50 5,3,1,0 'Dcrp' '~~Dcrp' \
  20 20 5,3,1,0 "$grudger" 'Dcrp'
