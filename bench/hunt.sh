#!/usr/bin/env bash
# The hunt for formulae on which the machine loses: ipdlogic-hunter grows the
# listings of `ipdlogic -r -s SEED` for seeds FIRST to LAST, takes the
# largest and the most deeply quantified and the formulae of evolution runs,
# and times each in two societies of 100 against the tree walker, in
# process; it writes the worst ratios to bench/hunted.txt and the slowest
# formulae among 99 tit for tat to bench/hunted.txt.slowest. Then each of
# those, and each formula of the given workload files, is timed as a whole
# process among 99 players of Dcrp, alternating with the build before the
# query tables (7d10e22, or LANDED), medians of RUNS.
#
#   bench/hunt.sh [FIRST LAST TOP [RUNS [WORKLOAD_FILE...]]]
#
# Defaults: seeds 1 to 100000, the top 200 by each measure, 3 runs, and
# bench/hunted.txt.slowest and bench/slow_random.txt. SEARCH=no skips the
# search and times the files of the last one.
set -euo pipefail
export LC_ALL=C
source_dir=$(cd "$(dirname "$0")/.." && pwd)
first=${1:-1}
last=${2:-100000}
top=${3:-200}
runs=${4:-3}
shift 4 2> /dev/null || shift $#
landed_revision=${LANDED:-7d10e22}

build="$source_dir/build-bench"
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DIPDLOGIC_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target ipdlogic ipdlogic-hunter > /dev/null
# One source tree and build per revision compared with.
landed_dir="$source_dir/build-bench-landed/$landed_revision"
[ -d "$landed_dir/source" ] || git -C "$source_dir" worktree add --detach "$landed_dir/source" "$landed_revision" > /dev/null 2>&1
cmake -S "$landed_dir/source" -B "$landed_dir/build" -DCMAKE_BUILD_TYPE=Release -DIPDLOGIC_TESTS=OFF > /dev/null
cmake --build "$landed_dir/build" -j2 --target ipdlogic > /dev/null
fast="$build/ipdlogic"
landed="$landed_dir/build/ipdlogic"

# SEARCH=no times the files of an earlier search again, without searching.
[ "${SEARCH:-yes}" = no ] || "$build/bench/ipdlogic-hunter" search "$first" "$last" "$top" "$source_dir/bench/hunted.txt"
files=("$@")
((${#files[@]} > 0)) || files=("$source_dir/bench/hunted.txt.slowest" "$source_dir/bench/slow_random.txt")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for ((k = 1; k < 100; ++k)); do echo Dcrp > "$work/tft$k.txt"; done
elapsed_ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f\n", (b - a) * 1000 }'; }
median() { sort -n | awk '{ a[NR] = $1 } END { if (NR % 2) print a[(NR + 1) / 2]; else printf "%.1f\n", (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
time_ms() {
  local start=$EPOCHREALTIME
  "$1" < "$work/names" > "$2"
  elapsed_ms "$start" "$EPOCHREALTIME"
}

echo
printf '%10s %10s %7s  %s\n' "ms (this)" "7d10e22" ratio formula
worst=0
for file in "${files[@]}"; do
  while IFS= read -r formula; do
    [ -z "$formula" ] || [ "${formula:0:1}" = "#" ] && continue
    printf '%s\n' "$formula" > "$work/formula.txt"
    { echo "$work/formula.txt"; for ((k = 1; k < 100; ++k)); do echo "$work/tft$k.txt"; done; } > "$work/names"
    fast_times=() landed_times=()
    for ((i = 0; i < runs; ++i)); do
      fast_times+=("$(time_ms "$fast" "$work/fast.out")")
      landed_times+=("$(time_ms "$landed" "$work/landed.out")")
      cmp -s "$work/fast.out" "$work/landed.out" || { echo "outputs differ: $formula" >&2; exit 1; }
    done
    fast_ms=$(printf '%s\n' "${fast_times[@]}" | median)
    landed_ms=$(printf '%s\n' "${landed_times[@]}" | median)
    ratio=$(awk -v a="$fast_ms" -v b="$landed_ms" 'BEGIN { printf "%.2f", a / b }')
    worst=$(awk -v a="$ratio" -v b="$worst" 'BEGIN { print (a > b ? a : b) }')
    printf '%10s %10s %7s  %.80s\n' "$fast_ms" "$landed_ms" "$ratio" "$formula"
  done < "$file"
done
echo "the worst ratio to the build before the query tables: $worst (this build's time over that build's)"
