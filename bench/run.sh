#!/usr/bin/env bash
# Whole-process timings of the benchmark workloads (bench/make_workloads.sh),
# side by side: this build of the program; the program as it stood at an
# earlier revision (the "landed" build, built from git); the same program
# with the tournament that evaluates by substituted copies; and, for the
# classic tournament, the hand-written floor. Runs alternate between the
# programs so that they share the machine's noise; the table gives medians
# (milliseconds) and the ratios of the other programs' medians to this
# build's, and checks that all programs print the same output.
#
#   bench/run.sh [RUNS [WORKLOAD...]]
#
# RUNS defaults to 5; the landed build and the substitution program run at
# most 3 times, and once where they take minutes. WORKLOADs are quantified,
# classic, classic_evolution, random_evolution, largest, largest_evolution,
# nest, triple, populations, chain and pair, all by default. LANDED names the
# revision to compare with (default 7d10e22, the landed build before the
# query tables); LANDED=none leaves it out. Builds into build-bench/ and
# build-bench-landed/REVISION/ (release); the substitution program cannot finish the
# largest, nest and triple workloads and is left out of them.
set -euo pipefail
export LC_ALL=C  # a decimal point in $EPOCHREALTIME
source_dir=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
shift || true
workloads=${*:-quantified classic classic_evolution random_evolution largest largest_evolution nest triple populations chain pair}
wanted() { [[ " $workloads " == *" $1 "* ]]; }
landed_revision=${LANDED:-7d10e22}
slow_runs=$((runs > 3 ? 3 : runs))
# SUBSTITUTION=none leaves the substitution program out (its -r -e sweep
# alone takes minutes).
sub_runs=$slow_runs
[ "${SUBSTITUTION:-}" = none ] && sub_runs=0

build="$source_dir/build-bench"
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DIPDLOGIC_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target ipdlogic ipdlogic-substitution ipdlogic-floor > /dev/null
fast="$build/ipdlogic"
slow="$build/bench/ipdlogic-substitution"
floor="$build/bench/ipdlogic-floor"

landed=
if [ "$landed_revision" != none ]; then
  # One source tree and build per revision compared with.
  landed_dir="$source_dir/build-bench-landed/$landed_revision"
  if [ ! -d "$landed_dir/source" ]; then
    git -C "$source_dir" worktree add --detach "$landed_dir/source" "$landed_revision" > /dev/null 2>&1
  fi
  cmake -S "$landed_dir/source" -B "$landed_dir/build" -DCMAKE_BUILD_TYPE=Release -DIPDLOGIC_TESTS=OFF > /dev/null
  cmake --build "$landed_dir/build" -j2 --target ipdlogic > /dev/null
  landed="$landed_dir/build/ipdlogic"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "writing the workloads ..."
"$source_dir/bench/make_workloads.sh" "$work" "$source_dir" "$fast"

# Milliseconds between two readings of bash's clock ($EPOCHREALTIME, which
# costs no process, unlike date).
elapsed_ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f\n", (b - a) * 1000 }'; }
median() { sort -n | awk '{ a[NR] = $1 } END { if (NR % 2) print a[(NR + 1) / 2]; else printf "%.1f\n", (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "") print ""; else printf "%.1fx\n", a / b }'; }

# time_ms OUTPUT INPUT COMMAND...: runs the command and prints its wall time.
time_ms() {
  local output=$1 input=$2
  shift 2
  local start=$EPOCHREALTIME
  "$@" < "$input" > "$output"
  elapsed_ms "$start" "$EPOCHREALTIME"
}

rows=()
# row LABEL FAST LANDED SUBSTITUTION: a table row of medians and ratios.
row() { rows+=("$1|$2|$3|$(ratio "$3" "$2")|$4|$(ratio "$4" "$2")"); }

# measure LABEL INPUT LANDED_RUNS SLOW_RUNS ARGS...: medians of the programs
# on one workload; their outputs must agree.
measure() {
  local label=$1 input=$2 landed_runs=$3 slow_runs=$4
  shift 4
  local -a fast_times=() landed_times=() slow_times=()
  for ((i = 0; i < runs; ++i)); do
    fast_times+=("$(time_ms "$work/fast.out" "$input" "$fast" "$@")")
    if [ -n "$landed" ] && ((i < landed_runs)); then
      landed_times+=("$(time_ms "$work/landed.out" "$input" "$landed" "$@")")
      cmp -s "$work/fast.out" "$work/landed.out" || { echo "outputs differ: $label (landed)" >&2; exit 1; }
    fi
    if ((i < slow_runs)); then
      slow_times+=("$(time_ms "$work/slow.out" "$input" "$slow" "$@")")
      cmp -s "$work/fast.out" "$work/slow.out" || { echo "outputs differ: $label (substitution)" >&2; exit 1; }
    fi
  done
  local landed_median= slow_median=
  ((${#landed_times[@]} > 0)) && landed_median=$(printf '%s\n' "${landed_times[@]}" | median)
  ((${#slow_times[@]} > 0)) && slow_median=$(printf '%s\n' "${slow_times[@]}" | median)
  row "$label" "$(printf '%s\n' "${fast_times[@]}" | median)" "$landed_median" "$slow_median"
}

# The total of -r -e over seeds 1 to 100, one process each.
sweep_ms() {
  local program=$1 out=$2 start=$EPOCHREALTIME
  for seed in $(seq 1 100); do "$program" -r -e -s "$seed" > "$out.$seed"; done
  elapsed_ms "$start" "$EPOCHREALTIME"
}

# -e on each of the 40 populations: the slowest and the median.
populations_ms() {
  local program=$1 out=$2
  for population in $(seq 1 40); do
    time_ms "$out.$population" "$work/populations/$population/names" "$program" -e
  done
}

# Peak memory of one tournament, in KiB.
peak_kib() { /usr/bin/time -f %M "$1" < "$2" 2>&1 > /dev/null | tail -n 1; }

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) cores"
echo "measuring (runs: $runs; landed build ${landed:+$landed_revision }and substitution at most $slow_runs, $sub_runs for the substitution) ..."
input_of() { echo "$work/$1/names"; }

if wanted quantified; then measure "quantified, one tournament" "$(input_of quantified)" "$slow_runs" "$sub_runs"; fi
if wanted classic; then
  measure "classic, one tournament" "$(input_of classic)" "$slow_runs" "$sub_runs"
  floor_times=()
  for ((i = 0; i < runs; ++i)); do floor_times+=("$(time_ms "$work/floor.out" "$(input_of classic)" "$floor")"); done
  cmp -s "$work/fast.out" "$work/floor.out" || { echo "the floor's output differs" >&2; exit 1; }
  rows+=("classic floor (hand-written)|$(printf '%s\n' "${floor_times[@]}" | median)|||||")
fi
if wanted classic_evolution; then measure "classic, -e" "$(input_of classic)" "$slow_runs" "$sub_runs" -e; fi
if wanted random_evolution; then
  fast_sweeps=() landed_sweeps=()
  for ((i = 0; i < slow_runs; ++i)); do
    fast_sweeps+=("$(sweep_ms "$fast" "$work/sweep_fast")")
    if [ -n "$landed" ]; then landed_sweeps+=("$(sweep_ms "$landed" "$work/sweep_landed")"); fi
  done
  slow_sweep=
  if ((sub_runs > 0)); then
    slow_sweep=$(sweep_ms "$slow" "$work/sweep_slow")
    for seed in $(seq 1 100); do
      cmp -s "$work/sweep_fast.$seed" "$work/sweep_slow.$seed" || { echo "outputs differ: -r -e -s $seed" >&2; exit 1; }
    done
  fi
  landed_median=
  ((${#landed_sweeps[@]} > 0)) && landed_median=$(printf '%s\n' "${landed_sweeps[@]}" | median)
  row "-r -e, seeds 1 to 100 (total)" "$(printf '%s\n' "${fast_sweeps[@]}" | median)" "$landed_median" "$slow_sweep"
fi
if wanted largest; then measure "largest 100 random, one tournament" "$(input_of largest)" 1 0; fi
if wanted largest_evolution; then measure "largest 100 random, -e" "$(input_of largest)" 1 0 -e; fi
if wanted nest; then measure "six-deep nest among 99 Dcrp" "$(input_of nest)" 1 0; fi
if wanted triple; then measure "100 x Ed(Ee(Ef(Ddep&Defp&Dfdp)))" "$(input_of triple)" 1 0; fi
if wanted populations; then
  populations_ms "$fast" "$work/pop_fast" > "$work/pop_fast.ms"
  if [ -n "$landed" ]; then
    populations_ms "$landed" "$work/pop_landed" > "$work/pop_landed.ms"
    for population in $(seq 1 40); do
      cmp -s "$work/pop_fast.$population" "$work/pop_landed.$population" ||
        { echo "outputs differ: population $population" >&2; exit 1; }
    done
  fi
  for what in slowest median; do
    pick() { [ "$what" = slowest ] && sort -n | tail -n 1 || median; }
    fast_value=$(pick < "$work/pop_fast.ms")
    landed_value=
    [ -n "$landed" ] && landed_value=$(pick < "$work/pop_landed.ms")
    row "40 populations of 100 random, -e: $what" "$fast_value" "$landed_value" ""
  done
fi
if wanted chain; then
  measure "10 players of a 170 KB formula" "$(input_of chain)" "$slow_runs" 0
  fast_kib=$(peak_kib "$fast" "$(input_of chain)")
  landed_kib=
  [ -n "$landed" ] && landed_kib=$(peak_kib "$landed" "$(input_of chain)")
  rows+=("  the same, peak memory (KiB)|$fast_kib|$landed_kib|$(ratio "$landed_kib" "$fast_kib")|||")
fi
if wanted pair; then
  # A C++ program that starts, loads the C++ library and exits.
  printf '#include <string>\nint main(int argc, char**) { return static_cast<int>(std::string(argc, 0).size()) - argc; }\n' \
    > "$work/empty.cpp"
  c++ -O2 -o "$work/empty" "$work/empty.cpp"
  measure "two players (tit for tat, grudger)" "$(input_of pair)" "$runs" 0
  empty_times=()
  for ((i = 0; i < runs; ++i)); do empty_times+=("$(time_ms /dev/null "$(input_of pair)" "$work/empty")"); done
  rows+=("  a C++ program that starts and exits|$(printf '%s\n' "${empty_times[@]}" | median)|||||")
fi

echo
printf '%-44s %12s %12s %8s %14s %9s\n' workload "ms (this)" "landed" ratio "substitution" ratio
for r in "${rows[@]}"; do
  IFS='|' read -r label fast_value landed_value landed_ratio slow_value slow_ratio <<< "$r"
  printf '%-44s %12s %12s %8s %14s %9s\n' "$label" "$fast_value" "$landed_value" "$landed_ratio" "$slow_value" "$slow_ratio"
done
echo "(ratios: the other program's median over this build's; the floor and the C++ program are for comparison)"
