#!/usr/bin/python3
"""Walks the lineage columns of ipdlogic-lab's CSV, run by run.

    lab_lineage.py CSV SCHEME ELITE [COPIES_KEEP_FORMULAE]

SCHEME is "generational" or "moran"; every generation must be recorded.
Checks, for every seed and generation after the first: ids are unique; a
player whose id was in the previous generation is that player unchanged
(formula and lineage); with elites, the first ELITE players are the
previous generation's best (ties to the lower player number); every other
player is a child with a new id, ids given in the order children are made,
whose parents are players of the previous generation (generational) or
players born before it (moran, where a child born and replaced within one
generation has no row); a copy has no second parent; with
COPIES_KEEP_FORMULAE=1, a copy without mutation holds its parent's formula.
Exits 1 with a message on the first fault.
"""

import collections
import csv
import sys


def generations_of(path):
    runs = collections.OrderedDict()
    with open(path, newline="", encoding="utf-8") as source:
        for row in csv.DictReader(source):
            runs.setdefault(int(row["seed"]), collections.OrderedDict()).setdefault(int(row["generation"]), []).append(row)
    return runs


def fault(seed, generation, message):
    sys.exit("lab_lineage: seed %d, generation %d: %s" % (seed, generation, message))


def lineage(row):
    return (row["formula"], row["parent1"], row["parent2"], row["mutated"])


def check_child(seed, generation, row, known, before, moran, copies_keep):
    new_id = int(row["id"])
    parents = [row["parent1"]] + ([row["parent2"]] if row["parent2"] else [])
    if not row["parent1"] or row["mutated"] not in ("0", "1"):
        fault(seed, generation, "child %d without a first parent or a mutated flag" % new_id)
    for parent in map(int, parents):
        if parent not in before and not (moran and parent < new_id and parent not in known):
            fault(seed, generation, "child %d: parent %d is not of the population it was bred from" % (new_id, parent))
    if copies_keep and not row["parent2"] and row["mutated"] == "0" and int(row["parent1"]) in before:
        if row["formula"] != before[int(row["parent1"])]["formula"]:
            fault(seed, generation, "child %d is a copy of %s but holds another formula" % (new_id, row["parent1"]))


def check_generation(seed, generation, rows, previous, known, scheme, elite, copies_keep):
    moran = scheme == "moran"
    before = {int(r["id"]): r for r in previous}
    ids = [int(r["id"]) for r in rows]
    if len(set(ids)) != len(ids):
        fault(seed, generation, "an id twice: %s" % ids)
    if elite:
        best = sorted(previous, key=lambda r: (-int(r["score"]), int(r["player"])))[:elite]
        if [int(r["id"]) for r in rows[:elite]] != [int(r["id"]) for r in best]:
            fault(seed, generation, "the elites are not the previous generation's best")
    children = [int(r["id"]) for r in rows if int(r["id"]) not in before]
    if not moran and children != list(range(known[1] + 1, known[1] + 1 + len(children))):
        fault(seed, generation, "children's ids %s do not follow %d in order" % (children, known[1]))
    if moran and children and min(children) <= known[1]:
        fault(seed, generation, "a child's id %d is not new" % min(children))
    for row in rows:
        if int(row["id"]) in before:
            if lineage(row) != lineage(before[int(row["id"])]):
                fault(seed, generation, "player %s kept id %s but changed" % (row["player"], row["id"]))
        else:
            check_child(seed, generation, row, known[0], before, moran, copies_keep)
    known[0].update(ids)
    known[1] = max([known[1]] + ids)


def main(path, scheme, elite, copies_keep="0"):
    elite, copies_keep = int(elite), copies_keep == "1"
    runs = generations_of(path)
    walked = 0
    for seed, generations in runs.items():
        first = generations[0]
        if [int(r["id"]) for r in first] != list(range(len(first))) or any(r["parent1"] or r["parent2"] for r in first):
            fault(seed, 0, "the first population is not ids 0 to N - 1 without parents")
        known = [set(range(len(first))), len(first) - 1]
        previous = first
        for generation, rows in list(generations.items())[1:]:
            check_generation(seed, generation, rows, previous, known, scheme, elite, copies_keep)
            previous = rows
            walked += 1
    print("%d generations of %d runs walked" % (walked, len(runs)))


if __name__ == "__main__":
    main(*sys.argv[1:])
