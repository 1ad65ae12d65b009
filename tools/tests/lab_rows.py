#!/usr/bin/python3
"""Checks ipdlogic-lab's rows against ipdlogic's own output for one run.

    lab_rows.py LAB_CSV PROGRAM_OUTPUT SEED EVERY

Every generation the program printed a table for must be in the CSV with
the same counts and scores, and, where the program listed its population,
the same formulae in the same order; the CSV must hold exactly the
generations 0, EVERY, 2 EVERY, ... and the last. Uses the standard library
only. Exits 1 with a message on the first difference.
"""

import csv
import re
import sys

LISTING_HEADER = re.compile(r"(\d+) -{43}")
DASHES = "-" * 51
COLUMNS = ["seed", "generation", "player", "formula", "size", "t", "r", "p", "s", "score",
           "rounds", "id", "parent1", "parent2", "mutated"]
ANALYSIS = ["simplified", "simplified_size", "plays_like", "behaviour"]


def unescape(field):
    """The bytes of a formula field: backslash escapes undone."""
    out = bytearray()
    text = field.encode("utf-8")
    i = 0
    while i < len(text):
        if text[i : i + 2] == b"\\\\":
            out += b"\\"
            i += 2
        elif text[i : i + 2] == b"\\x":
            out.append(int(text[i + 2 : i + 4], 16))
            i += 4
        else:
            out.append(text[i])
            i += 1
    return bytes(out)


def program_generations(path):
    """{generation: (formulae or None, [(t, r, p, s, score), ...])}."""
    with open(path, "rb") as source:
        lines = source.read().decode("latin-1").split("\n")
    generations, listing, tournaments, at = {}, None, 0, 0
    while at < len(lines):
        line = lines[at]
        if LISTING_HEADER.fullmatch(line):
            if listing is None:
                listing = []
            listing.append(lines[at + 1].encode("latin-1"))
            at += 3
            continue
        if line == ">simulating":
            tournaments += 1
        elif line == DASHES and at + 1 < len(lines) and lines[at + 1].startswith("  player"):
            at += 3
            rows = []
            while lines[at] != DASHES:
                rows.append(tuple(int(v) for v in lines[at].split()[1:]))
                at += 1
            generations[tournaments - 1] = (listing, rows)
            listing = None
        at += 1
    return generations


def lab_generations(path, seed):
    with open(path, newline="", encoding="utf-8") as source:
        reader = csv.reader(source)
        if next(reader) not in (COLUMNS, COLUMNS + ANALYSIS):
            sys.exit("lab_rows: the CSV header is not " + ",".join(COLUMNS) + ", with or without "
                     + ",".join(ANALYSIS))
        generations = {}
        for row in reader:
            if int(row[0]) != seed:
                continue
            formulae, rows = generations.setdefault(int(row[1]), ([], []))
            if int(row[2]) != len(rows):
                sys.exit("lab_rows: generation %s: player %s out of order" % (row[1], row[2]))
            formulae.append(unescape(row[3]))
            rows.append(tuple(int(v) for v in row[5:10]))
    return generations


def main(lab_csv, program_output, seed, every):
    seed, every = int(seed), int(every)
    program = program_generations(program_output)
    lab = lab_generations(lab_csv, seed)
    if not program:
        sys.exit("lab_rows: the program printed no table")
    last = max(lab) if lab else -1
    wanted = sorted(set(range(0, last + 1, every)) | {last})
    if sorted(lab) != wanted:
        sys.exit("lab_rows: recorded generations %s, expected %s" % (sorted(lab)[:12], wanted[:12]))
    for generation, (listing, rows) in sorted(program.items()):
        if generation not in lab:
            sys.exit("lab_rows: generation %d is not in the CSV" % generation)
        formulae, lab_rows = lab[generation]
        if lab_rows != rows:
            sys.exit("lab_rows: generation %d: table %s, CSV %s" % (generation, rows[:3], lab_rows[:3]))
        if listing is not None and listing != formulae:
            sys.exit("lab_rows: generation %d: listing %s, CSV %s" % (generation, listing[:2], formulae[:2]))
    print("%d generations match" % len(program))


if __name__ == "__main__":
    main(*sys.argv[1:])
