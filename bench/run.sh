#!/usr/bin/env bash
# Whole-process timings of the benchmark workloads, side by side: the
# program, the same program with the tournament that evaluates by
# substituted copies, and for the classic tournament the hand-written floor.
# Runs alternate between the programs so that they share the machine's
# noise; the table gives medians and ratios.
#
#   bench/run.sh [RUNS [WORKLOAD...]]
#
# RUNS defaults to 11 (the slow baseline runs at most 5 times, and once over
# the random evolution sweep); WORKLOADs are quantified, classic,
# classic_evolution and random_evolution, all by default.
# Builds into build-bench/ (release) and writes workloads into a temporary
# directory. The random evolution sweep with the baseline takes minutes.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-11}
shift || true
workloads=${*:-quantified classic classic_evolution random_evolution}
wanted() { [[ " $workloads " == *" $1 "* ]]; }
slow_runs=$(( runs > 5 ? 5 : runs ))
sweep_runs=1

build="$source_dir/build-bench"
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DIPDLOGIC_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target ipdlogic ipdlogic-substitution ipdlogic-floor > /dev/null
fast="$build/ipdlogic"
slow="$build/bench/ipdlogic-substitution"
floor="$build/bench/ipdlogic-floor"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$source_dir/bench/make_workloads.sh" "$work" "$source_dir"

now_ns() { date +%s%N; }

# time_once OUTPUT COMMAND...: runs the command with the workload's input
# ($input) and prints its wall time in milliseconds.
time_once() {
  local output=$1
  shift
  local start end
  start=$(now_ns)
  "$@" < "$input" > "$output"
  end=$(now_ns)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e6 }'
}

median() { sort -n | awk '{ a[NR] = $1 } END { if (NR % 2) print a[(NR + 1) / 2]; else printf "%.3f\n", (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

declare -A medians
rows=()

# measure NAME INPUT RUNS_FAST RUNS_SLOW ARGS...: times the program and the
# baseline (and the floor where FLOOR=1), checks their outputs agree.
measure() {
  local name=$1 runs_fast=$3 runs_slow=$4
  input=$2
  shift 4
  local -a fast_times=() slow_times=() floor_times=()
  for ((i = 0; i < runs_fast; ++i)); do
    fast_times+=("$(time_once "$work/fast.out" "$fast" "$@")")
    if ((i < runs_slow)); then slow_times+=("$(time_once "$work/slow.out" "$slow" "$@")"); fi
    if [ "${FLOOR:-0}" = 1 ]; then floor_times+=("$(time_once "$work/floor.out" "$floor")"); fi
  done
  cmp -s "$work/fast.out" "$work/slow.out" || { echo "outputs differ: $name" >&2; exit 1; }
  medians[$name.fast]=$(printf '%s\n' "${fast_times[@]}" | median)
  medians[$name.slow]=$(printf '%s\n' "${slow_times[@]}" | median)
  rows+=("$name|${#fast_times[@]}|${#slow_times[@]}")
  if [ "${FLOOR:-0}" = 1 ]; then
    cmp -s "$work/fast.out" "$work/floor.out" || { echo "the floor's output differs" >&2; exit 1; }
    medians[$name.floor]=$(printf '%s\n' "${floor_times[@]}" | median)
  fi
}

# The random evolution sweep: total time of "-r -e -s SEED" for seeds 1 to 100.
sweep() {
  local program=$1 out=$2
  local start end
  start=$(now_ns)
  for seed in $(seq 1 100); do "$program" -r -e -s "$seed" > "$out.$seed"; done
  end=$(now_ns)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e6 }'
}

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) cores"
echo "measuring (runs per workload: $runs, baseline $slow_runs, sweep baseline $sweep_runs) ..."

if wanted quantified; then measure quantified "$work/quantified/names" "$runs" "$slow_runs"; fi
if wanted classic; then FLOOR=1 measure classic "$work/classic/names" "$runs" "$runs"; fi
if wanted classic_evolution; then measure classic_evolution "$work/classic/names" "$runs" "$slow_runs" -e; fi

input=/dev/null
if wanted random_evolution; then
sweep_fast=()
sweep_slow=()
for ((i = 0; i < slow_runs; ++i)); do
  sweep_fast+=("$(sweep "$fast" "$work/sweep_fast")")
  if ((i < sweep_runs)); then sweep_slow+=("$(sweep "$slow" "$work/sweep_slow")"); fi
done
for seed in $(seq 1 100); do
  cmp -s "$work/sweep_fast.$seed" "$work/sweep_slow.$seed" || { echo "outputs differ: -r -e -s $seed" >&2; exit 1; }
done
medians[random_evolution.fast]=$(printf '%s\n' "${sweep_fast[@]}" | median)
medians[random_evolution.slow]=$(printf '%s\n' "${sweep_slow[@]}" | median)
rows+=("random_evolution|${#sweep_fast[@]}|${#sweep_slow[@]}")
fi

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f\n", a / b }'; }
echo
printf '%-34s %6s %12s %6s %14s %9s\n' workload runs "median ms" runs "substitution" ratio
for row in "${rows[@]}"; do
  IFS='|' read -r name n_fast n_slow <<< "$row"
  label=$name
  case $name in
    quantified) label="quantified, one tournament" ;;
    classic) label="classic, one tournament" ;;
    classic_evolution) label="classic, -e" ;;
    random_evolution) label="-r -e, seeds 1 to 100 (total)" ;;
  esac
  printf '%-34s %6s %12s %6s %14s %8sx\n' "$label" "$n_fast" "${medians[$name.fast]}" "$n_slow" \
    "${medians[$name.slow]}" "$(ratio "${medians[$name.slow]}" "${medians[$name.fast]}")"
done
if wanted classic; then
  printf '%-34s %6s %12s %6s %14s %8sx\n' "classic floor (hand-written)" "$runs" "${medians[classic.floor]}" "" "" \
    "$(ratio "${medians[classic.fast]}" "${medians[classic.floor]}")"
  echo "(the last ratio is the program's time over the floor's)"
fi
