#!/usr/bin/env bash
# ipdlogic-plot's figures: a PNG written to a file or to standard output,
# 1600 x 1800 pixels, the same either way; SVG and PDF by the file's
# extension; figures of the lab's sweeps; a failed write is reported. Needs
# matplotlib: without it the test is skipped (exit status 77), with the
# reason.
#
#   plot_png_test.sh PROGRAM PLOT LAB
#
# IPDLOGIC_PLOT_PYTHON names another interpreter to run the plot with (by
# default its own, /usr/bin/python3), for example one without matplotlib.
set -u
program=$(realpath "$1")
plot=$(realpath "$2")
lab=$(realpath "$3")
python=${IPDLOGIC_PLOT_PYTHON:-/usr/bin/python3}
read -r -a run_plot <<< "${IPDLOGIC_PLOT_PYTHON:-}"
run_plot+=("$plot")
if ! ${python} -c 'import matplotlib' 2> /dev/null; then
  echo "SKIP: matplotlib is not installed for $python (Debian: python3-matplotlib): no PNG checked"
  exit 77
fi
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
cd "$work"

png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 "x" $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'; }

"$program" -r -e -s 11 > run11
"${run_plot[@]}" --seed 11 -o run11.png run11 || fail "PNG: status"
"$program" -r -e -s 11 | "${run_plot[@]}" --seed 11 > piped.png || fail "PNG from a pipe: status"
[ "$(head -c 8 run11.png | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ] || fail "PNG: not a PNG file"
[ "$(png_size run11.png)" = "1600x1800" ] || fail "PNG: size $(png_size run11.png)"
"${run_plot[@]}" -o run11.svg run11 && grep -q '<svg' run11.svg || fail "SVG: not written as SVG"
"${run_plot[@]}" -o run11.PDF run11 && [ "$(head -c 5 run11.PDF)" = "%PDF-" ] || fail "PDF: not written as PDF"
"${run_plot[@]}" -o run11.jpg run11 2> jpg.err && fail "JPEG: not refused"
grep -q '^ipdlogic-plot: run11.jpg: a figure is written as .png, .svg or .pdf, not .jpg$' jpg.err || fail "JPEG: $(cat jpg.err)"
[ -e run11.jpg ] && fail "JPEG: a file was written"
[ "$(stat -c %s run11.png)" -gt 20000 ] || fail "PNG: only $(stat -c %s run11.png) bytes"
cmp -s run11.png piped.png || fail "PNG from a pipe differs"
"${run_plot[@]}" --seed 11 run11 > /dev/full 2> full.err
[ $? = 1 ] || fail "PNG to /dev/full: exit status"
[ "$(cat full.err)" = "ipdlogic-plot: cannot write standard output: No space left on device" ] ||
  fail "PNG to /dev/full: $(cat full.err)"

# The lab's runs: one seed, and a sweep across seeds.
"$lab" --random 10 --seed 42 --out lab42.csv
"${run_plot[@]}" -o lab42.svg lab42.csv || fail "lab figure: status"
"$lab" --random 6 --seeds 1-4 --generations 12 --payoffs 4,2,1,0 --out sweep.csv
"${run_plot[@]}" -o sweep.png sweep.csv || fail "sweep figure: status"
[ "$(png_size sweep.png)" = "1600x1800" ] || fail "sweep figure: size $(png_size sweep.png)"

# Fixation and lineage figures.
printf 'Dcrp' > tft.txt
printf 'Drcp|~Drcp' > defect.txt
"$lab" --selection moran --crossover 0 --until-fixed --generations 100000 --seeds 1-50 tft.txt defect.txt defect.txt --out fixed.csv
"${run_plot[@]}" --fixation -o fixed.png fixed.csv || fail "fixation figure: status"
[ "$(png_size fixed.png)" = "1600x1800" ] || fail "fixation figure: size $(png_size fixed.png)"
"${run_plot[@]}" --lineage --seed 42 -o lineage.svg lab42.csv && grep -q '<svg' lineage.svg || fail "lineage figure: not written"
"${run_plot[@]}" --lineage -o lineage.png lab42.csv || fail "lineage figure: status"
[ "$(png_size lineage.png)" = "2000x1400" ] || fail "lineage figure: size $(png_size lineage.png)"

# Behaviour figures.
"${run_plot[@]}" --behaviours -o behaviours.png sweep.csv || fail "behaviours figure: status"
[ "$(png_size behaviours.png)" = "1600x1800" ] || fail "behaviours figure: size $(png_size behaviours.png)"
"${run_plot[@]}" --winners -o winners.svg sweep.csv && grep -q '<svg' winners.svg || fail "winners figure: not written"
"${run_plot[@]}" --winners -o winners.png sweep.csv || fail "winners figure: status"
[ "$(png_size winners.png)" = "1600x1200" ] || fail "winners figure: size $(png_size winners.png)"

finish "all figure checks passed"
