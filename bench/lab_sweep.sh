#!/usr/bin/env bash
# A seed sweep in one ipdlogic-lab process against the same sweep as one
# ipdlogic process per seed: 10 random formulae, 100 generations, seeds 1 to
# 100. The lab records every generation of every seed (the default); the
# program prints its 11 generations per seed to a file each, as a sweep
# script would keep them. The lab runs its seeds one after another
# (--jobs 1), as the processes run. Alternates the two, medians over the
# repetitions, and checks that the lab's rows hold every program's tables.
#
#   bench/lab_sweep.sh [REPETITIONS [SEEDS]]
#
# REPETITIONS defaults to 5, SEEDS to 100. Builds into build-bench/ (release).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
repetitions=${1:-5}
seeds=${2:-100}

build="$source_dir/build-bench"
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DIPDLOGIC_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target ipdlogic ipdlogic-lab > /dev/null
program="$build/ipdlogic"
lab="$build/tools/ipdlogic-lab"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

now_ns() { date +%s%N; }
elapsed_ms() { awk -v ns=$(($(now_ns) - $1)) 'BEGIN { printf "%.1f\n", ns / 1e6 }'; }
median() { sort -n | awk '{ a[NR] = $1 } END { if (NR % 2) print a[(NR + 1) / 2]; else printf "%.1f\n", (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

processes=()
one_process=()
for ((i = 0; i < repetitions; ++i)); do
  start=$(now_ns)
  for ((seed = 1; seed <= seeds; ++seed)); do "$program" -r -e -s "$seed" > "run$seed.txt"; done
  processes+=("$(elapsed_ms "$start")")
  start=$(now_ns)
  "$lab" --jobs 1 --random 10 --seeds "1-$seeds" --out sweep.csv
  one_process+=("$(elapsed_ms "$start")")
done

for ((seed = 1; seed <= seeds; seed += seeds / 10 > 0 ? seeds / 10 : 1)); do
  /usr/bin/python3 "$source_dir/tools/tests/lab_rows.py" sweep.csv "run$seed.txt" "$seed" 1 > /dev/null
done

process_ms=$(printf '%s\n' "${processes[@]}" | median)
lab_ms=$(printf '%s\n' "${one_process[@]}" | median)
rows=$(($(wc -l < sweep.csv) - 1))
echo "| sweep of $seeds seeds, 10 random formulae, 100 generations | median ms | per seed ms |"
echo "|---|---|---|"
awk -v n="$seeds" -v p="$process_ms" -v l="$lab_ms" -v rows="$rows" -v reps="$repetitions" 'BEGIN {
  printf "| %d ipdlogic processes (-r -e -s SEED, output to a file each) | %.0f | %.1f |\n", n, p, p / n
  printf "| one ipdlogic-lab process (--random 10 --seeds 1-%d, %d rows) | %.0f | %.1f |\n", n, rows, l, l / n
  printf "\nThe lab takes %.2f of the processes'"'"' time (%.2fx as fast), over %s repetitions.\n", l / p, p / l, reps
}'
