#!/usr/bin/python3
"""Fixation frequencies of ipdlogic-lab's Moran process against the exact value.

    fixation_check.py LAB SEEDS N ROUNDS T,R,P,S MUTANT_TEXT RESIDENT_TEXT [...more cases]

One case is N ROUNDS PAYOFFS MUTANT RESIDENT: one mutant among N - 1
residents, as formula files, each a formula that draws nothing. The scores
f_j of the mutants and g_j of the residents when j mutants play N - j
residents come from the lab's own tournaments (--generations 1); the exact
fixation probability of the frequency-dependent Moran process is then

    rho = 1 / (1 + sum over k = 1 .. N-1 of the product over j = 1 .. k of g_j / f_j)

(Nowak, Sasaki, Taylor and Fudenberg 2004). The lab runs SEEDS Moran runs
of copies without mutation (--selection moran --crossover 0 --until-fixed)
and the share that fixed on the mutant must be within three standard
errors, sqrt(rho (1 - rho) / SEEDS), of rho. Prints one line per case;
exits 1 when a case is outside. Standard library only.
"""

import csv
import json
import math
import os
import subprocess
import sys
import tempfile


def run_lab(lab, arguments, out):
    subprocess.run([lab] + arguments + ["--out", out], check=True)


def tournament_scores(lab, folder, n, rounds, payoffs, mutants):
    """(mutant score, resident score, mutant canonical text) with `mutants` of n players mutants."""
    files = [os.path.join(folder, "mutant.txt")] * mutants + [os.path.join(folder, "resident.txt")] * (n - mutants)
    out = os.path.join(folder, "tournament.csv")
    run_lab(lab, ["--generations", "1", "--rounds", rounds, "--payoffs", payoffs] + files, out)
    rows = list(csv.DictReader(open(out, newline="", encoding="utf-8")))
    mutant_scores = {int(r["score"]) for r in rows[:mutants]}
    resident_scores = {int(r["score"]) for r in rows[mutants:]}
    if len(mutant_scores) > 1 or len(resident_scores) > 1:
        sys.exit("fixation_check: players of one kind scored differently: do the formulae draw?")
    return (mutant_scores.pop(), resident_scores.pop() if resident_scores else None, rows[0]["formula"])


def exact_rho(f, g, n):
    total, product = 1.0, 1.0
    for j in range(1, n):
        if f[j] == 0:
            return 0.0  # a mutant that scores nothing is never chosen as a parent
        product *= g[j] / f[j]
        total += product
    return 1.0 / total


def check_case(lab, seeds, n, rounds, payoffs, mutant, resident):
    with tempfile.TemporaryDirectory() as folder:
        for name, text in (("mutant.txt", mutant), ("resident.txt", resident)):
            with open(os.path.join(folder, name), "w") as out:
                out.write(text)
        f, g = {}, {}
        for j in range(1, n):
            f[j], g[j], mutant_text = tournament_scores(lab, folder, n, rounds, payoffs, j)
        rho = exact_rho(f, g, n)
        files = [os.path.join(folder, "mutant.txt")] + [os.path.join(folder, "resident.txt")] * (n - 1)
        out = os.path.join(folder, "moran.csv")
        run_lab(lab, ["--selection", "moran", "--crossover", "0", "--until-fixed", "--generations", "1000000",
                      "--every", "1000000", "--seeds", "1-%d" % seeds, "--rounds", rounds, "--payoffs", payoffs]
                + files, out)
        fixation = json.load(open(out + ".json"))["fixation"]
    if fixation["fixed"] != seeds:
        sys.exit("fixation_check: %d of %d runs did not fix" % (seeds - fixation["fixed"], seeds))
    fixed = fixation["by_formula"].get(mutant_text, 0)
    share = fixed / seeds
    error = math.sqrt(rho * (1 - rho) / seeds)
    z = (share - rho) / error if error > 0 else (0.0 if share == rho else math.inf)
    events = sum(run["events"] for run in fixation["by_run"]) / seeds
    print("N %2d, %3s rounds, payoffs %s, %s among %s: fixed %5d of %d = %.4f, exact %.4f (1/N %.4f), "
          "standard error %.4f, z %+.2f, mean events %.1f"
          % (n, rounds, payoffs, mutant, resident, fixed, seeds, share, rho, 1 / n, error, z, events))
    return abs(z) <= 3


def main(arguments):
    lab, seeds, cases = arguments[0], int(arguments[1]), arguments[2:]
    if not cases or len(cases) % 5:
        sys.exit(__doc__)
    outside = 0
    for at in range(0, len(cases), 5):
        n, rounds, payoffs, mutant, resident = cases[at : at + 5]
        outside += not check_case(lab, seeds, int(n), rounds, payoffs, mutant, resident)
    if outside:
        sys.exit("fixation_check: %d case(s) beyond three standard errors" % outside)


if __name__ == "__main__":
    main(sys.argv[1:])
