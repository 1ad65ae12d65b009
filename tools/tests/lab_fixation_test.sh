#!/usr/bin/env bash
# The Moran process of ipdlogic-lab against the exact fixation probability
# of the frequency-dependent Moran process: copies without mutation, one
# mutant among N - 1 residents, 2000 seeds per case; pairs that differ in
# play and a neutral one (1/N), several sizes, rounds and payoffs, among
# them payoffs whose total score lies where a plain single draw modulo the
# total would favour low player numbers. Cases beyond three standard errors
# fail. bench/fixation.sh runs larger cases.
#
#   lab_fixation_test.sh LAB SOURCE_DIR
set -u
lab=$1
check="$2/tools/tests/fixation_check.py"
[ -x /usr/bin/python3 ] || { echo "SKIP: /usr/bin/python3 is not installed (Debian: python3)"; exit 77; }
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
cd "$work"

/usr/bin/python3 "$check" "$lab" 2000 \
  4 10 5,3,1,0 'Dcrp' 'Drcp|~Drcp' \
  5 5 5,3,1,0 'Drcp|~Drcp' 'Dcrp' \
  4 10 500,300,100,0 'Dcrp' 'Drcp|~Drcp' \
  6 8 4,3,1,0 "E's Dcrs | Dcrp" '~Drcp&~Drc0' \
  5 20 5,3,1,0 'Dcrp' '~~Dcrp' \
  8 3 3,2,1,0 '(Drcp&~Dcrp)|(~Drcp&Dcrp)' 'Drrp' > cases.out 2>&1 || fail "fixation frequencies: $(cat cases.out)"
cat cases.out
finish "fixation frequencies agree with the exact values"
