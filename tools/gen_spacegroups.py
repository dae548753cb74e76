#!/usr/bin/env python3
"""Generate src/crystal/spacegroup_table_data.cpp from the space-group table.

Usage: tools/gen_spacegroups.py [spacegroups.tsv] [-o OUTPUT]

The input is tab-separated with a header row and one row per group 1..230:
nr, symbol, ns, code (1 acentric, 2 centrosymmetric) and the ns stored
operators as coordinate triplets, e.g. "x,y,z;-x,y+1/2,-z+1/2".  The j-th
part of a triplet is the new coordinate j.

Before writing, every row is checked: the symbol fits 30 columns and starts
with its lattice letter, the first operator is the identity, rotations hold
only -1, 0, 1, translations are one of the fractions the listing recognises,
the operators close into a group (with the inversion for centrosymmetric
groups and the centring vectors of the lattice letter) and ns equals the
point-group order over the centring vectors over 2 for centrosymmetric
groups.  The centrosymmetry code must agree with the Laue class and a few
reference rows must come out exactly; where the data disagree, the reference
wins and the correction is printed to stderr and noted in the generated file.
"""

import argparse
import os
import sys
from fractions import Fraction

DEFAULT_TSV = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                                            "data", "spacegroups.tsv"))
DEFAULT_OUT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                                            "src", "crystal", "spacegroup_table_data.cpp"))

# Groups of the centrosymmetric Laue classes, as ranges of numbers.
CENTROSYMMETRIC = [(2, 2), (10, 15), (47, 74), (83, 88), (123, 142), (147, 148),
                   (162, 167), (175, 176), (191, 194), (200, 206), (221, 230)]

# Reference rows: symbol, code and the leading operators that must appear in
# this order (for 230 only the ones checked, keyed by position).
REFERENCE_ROWS = {
    2: ("P -1", 2, {1: "x,y,z"}),
    14: ("P 1 21/c 1", 2, {1: "x,y,z", 2: "-x,y+1/2,-z+1/2"}),
    15: ("C 1 2/c 1", 2, {1: "x,y,z", 2: "-x,y,-z+1/2"}),
    48: ("P n n n ; origin at centre", 2,
         {1: "x,y,z", 2: "-x+1/2,-y+1/2,z", 3: "-x+1/2,y,-z+1/2", 4: "x,-y+1/2,-z+1/2"}),
    166: ("R -3 m ; rhombohedral axes", 2,
          {1: "x,y,z", 2: "z,x,y", 3: "y,z,x", 4: "-y,-x,-z", 5: "-x,-z,-y", 6: "-z,-y,-x"}),
    167: ("R -3 c ;rhombohedral axes", 2, {1: "x,y,z"}),
    168: ("P 6", 1, {1: "x,y,z", 2: "-y,x-y,z", 3: "-x+y,-x,z", 4: "-x,-y,z",
                     5: "y,-x+y,z", 6: "x-y,x,z"}),
    230: ("I a -3 d", 2, {1: "x,y,z", 2: "-x+1/2,-y,z+1/2", 3: "-x,y+1/2,-z+1/2",
                          4: "x+1/2,-y+1/2,-z", 5: "z,x,y", 13: "y+3/4,x+1/4,-z+1/4"}),
}
# Operator counts that the rows above fix completely.
REFERENCE_NS = {2: 1, 14: 2, 15: 2, 48: 4, 166: 6, 168: 6, 230: 24}

CENTRING = {
    "P": [], "R": [],
    "A": [(0, Fraction(1, 2), Fraction(1, 2))],
    "B": [(Fraction(1, 2), 0, Fraction(1, 2))],
    "C": [(Fraction(1, 2), Fraction(1, 2), 0)],
    "I": [(Fraction(1, 2), Fraction(1, 2), Fraction(1, 2))],
    "F": [(Fraction(1, 2), Fraction(1, 2), 0), (Fraction(1, 2), 0, Fraction(1, 2)),
          (0, Fraction(1, 2), Fraction(1, 2))],
}

# The translations the listing of the operators recognises.
RECOGNISED_FRACTIONS = {Fraction(0), Fraction(1, 2), Fraction(1, 4), Fraction(3, 4), Fraction(1, 3),
                        Fraction(2, 3), Fraction(1, 6), Fraction(5, 6)}


class TableError(Exception):
    pass


def parse_coordinate(text):
    """'-x+y+1/2' -> ([cx, cy, cz], Fraction translation)."""
    coeff = [0, 0, 0]
    trans = Fraction(0)
    i = 0
    if not text:
        raise TableError("empty coordinate")
    while i < len(text):
        sign = 1
        if text[i] in "+-":
            sign = -1 if text[i] == "-" else 1
            i += 1
        if i < len(text) and text[i] in "xyz":
            m = "xyz".index(text[i])
            if coeff[m] != 0:
                raise TableError(f"repeated variable in {text!r}")
            coeff[m] = sign
            i += 1
            continue
        j = i
        while j < len(text) and (text[j].isdigit() or text[j] == "/"):
            j += 1
        if j == i:
            raise TableError(f"cannot read coordinate {text!r}")
        trans += sign * Fraction(text[i:j])
        i = j
    return coeff, trans


def parse_operator(text):
    parts = text.split(",")
    if len(parts) != 3:
        raise TableError(f"operator {text!r} has {len(parts)} coordinates")
    rot, trans = [], []
    for part in parts:
        c, t = parse_coordinate(part.strip())
        rot.append(tuple(c))
        trans.append(t)
    return tuple(rot), tuple(trans)


def normalise(op):
    """Translation in twelfths, reduced modulo the lattice (integers are fast
    to compose; every recognised fraction is a multiple of 1/12)."""
    rot, trans = op
    twelfths = []
    for t in trans:
        if (t * 12).denominator != 1:
            raise TableError(f"translation {t} is not a multiple of 1/12")
        twelfths.append(int(t * 12) % 12)
    return rot, tuple(twelfths)


def compose(a, b):
    """a after b: x -> Ra (Rb x + tb) + ta."""
    ra, ta = a
    rb, tb = b
    rot = tuple(tuple(sum(ra[j][k] * rb[k][m] for k in range(3)) for m in range(3))
                for j in range(3))
    trans = tuple((sum(ra[j][k] * tb[k] for k in range(3)) + ta[j]) % 12 for j in range(3))
    return rot, trans


IDENTITY = (((1, 0, 0), (0, 1, 0), (0, 0, 1)), (0, 0, 0))
INVERSION = (((-1, 0, 0), (0, -1, 0), (0, 0, -1)), (0, 0, 0))


def expanded_set(ops, code, letter):
    """Stored operators times inversion and centring; None on duplicates."""
    full = []
    for op in ops:
        full.append(normalise(op))
    if code == 2:
        full = full + [compose(INVERSION, op) for op in full]
    base = list(full)
    for vec in CENTRING[letter]:
        shift = normalise((IDENTITY[0], tuple(Fraction(v) for v in vec)))
        full = full + [compose(shift, op) for op in base]
    if len(set(full)) != len(full):
        return None
    return full


def check_row(nr, symbol, ns, code, ops):
    if len(symbol) > 30:
        raise TableError(f"{nr}: symbol longer than 30 characters")
    letter = symbol[:1]
    if letter not in CENTRING:
        raise TableError(f"{nr}: unknown lattice letter {letter!r}")
    if len(ops) != ns or not 1 <= ns <= 24:
        raise TableError(f"{nr}: ns {ns} but {len(ops)} operators")
    if normalise(ops[0]) != IDENTITY:
        raise TableError(f"{nr}: first operator is not the identity")
    for rot, trans in ops:
        for row in rot:
            if any(v not in (-1, 0, 1) for v in row):
                raise TableError(f"{nr}: rotation entry outside -1, 0, 1")
        for t in trans:
            if t not in RECOGNISED_FRACTIONS:
                raise TableError(f"{nr}: translation {t} not a recognised fraction")
    full = expanded_set(ops, code, letter)
    if full is None:
        raise TableError(f"{nr}: duplicate operators after inversion and centring")
    members = set(full)
    for a in full:
        for b in full:
            if compose(a, b) not in members:
                raise TableError(f"{nr}: the operators do not close into a group")
    # The general position has one operator per rotation of the point group
    # and centring vector; the stored ones are that multiplicity over the
    # centring vectors over 2 for centrosymmetric groups, i.e. the point-group
    # order halved for centrosymmetric groups.
    multiplicity = len(full)
    order = len({op[0] for op in full})
    if order * (len(CENTRING[letter]) + 1) != multiplicity:
        raise TableError(f"{nr}: rotations repeat beyond the centring translations")
    expected_ns = multiplicity // (len(CENTRING[letter]) + 1) // (2 if code == 2 else 1)
    if expected_ns != ns or order // (2 if code == 2 else 1) != ns:
        raise TableError(f"{nr}: ns {ns}, point-group order {order} gives {expected_ns}")


def read_table(path):
    with open(path, encoding="utf-8") as f:
        lines = [ln.rstrip("\n") for ln in f if ln.strip()]
    header = lines[0].split("\t")
    if header[:5] != ["nr", "symbol", "ns", "code", "operators"]:
        raise TableError(f"unexpected header {header}")
    rows = []
    for ln in lines[1:]:
        nr, symbol, ns, code, operators = ln.split("\t")
        rows.append([int(nr), symbol, int(ns), int(code), operators.split(";")])
    if [r[0] for r in rows] != list(range(1, 231)):
        raise TableError("rows are not numbered 1..230 in order")
    return rows


def apply_references(rows):
    """Bring the rows in line with the centrosymmetric list and the reference
    rows; returns the list of corrections made."""
    notes = []
    for row in rows:
        nr, symbol, ns, code, texts = row
        want_code = 2 if any(a <= nr <= b for a, b in CENTROSYMMETRIC) else 1
        if code != want_code:
            notes.append(f"group {nr}: code {code} corrected to {want_code}")
            row[3] = want_code
        if nr in REFERENCE_ROWS:
            ref_symbol, ref_code, ref_ops = REFERENCE_ROWS[nr]
            if symbol != ref_symbol:
                notes.append(f"group {nr}: symbol {symbol!r} corrected to {ref_symbol!r}")
                row[1] = ref_symbol
            if row[3] != ref_code:
                notes.append(f"group {nr}: code {row[3]} corrected to {ref_code}")
                row[3] = ref_code
            if nr in REFERENCE_NS and ns != REFERENCE_NS[nr]:
                raise TableError(f"group {nr}: ns {ns}, expected {REFERENCE_NS[nr]}")
            for pos, text in ref_ops.items():
                if parse_operator(texts[pos - 1]) != parse_operator(text):
                    notes.append(f"group {nr}: operator {pos} {texts[pos - 1]!r} corrected "
                                 f"to {text!r}")
                    texts[pos - 1] = text
    return notes


def write_cpp(rows, notes, out_path, command):
    """One row per group: the symbol, the code and the operators as checked
    triplets; src/crystal/spacegroup_table.cpp reads them at start-up."""
    out = []
    out.append("// Generated by tools/gen_spacegroups.py -- do not edit.")
    out.append(f"// Regenerate with: {command}")
    out.append("//")
    out.append("// The 230 space groups: symbol, centrosymmetry code (1 acentric,")
    out.append("// 2 centrosymmetric) and the stored operators of the general position as")
    out.append("// coordinate triplets, translations reduced into [0, 1).")
    if notes:
        out.append("// Rows corrected by the generator:")
        out.extend(f"//   {n}" for n in notes)
    out.append('#include "crystal/spacegroup_table.hpp"')
    out.append("")
    out.append("namespace korva {")
    out.append("")
    out.append("const SpaceGroupRow kSpaceGroupRows[230] = {")
    for nr, symbol, ns, code, texts in rows:
        out.append(f'    {{"{symbol.ljust(30)}", {code},  // {nr}')
        out.append(f'     "{";".join(texts)}"}},')
    out.append("};")
    out.append("")
    out.append("}  // namespace korva")
    with open(out_path, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("tsv", nargs="?", default=DEFAULT_TSV)
    ap.add_argument("-o", "--output", default=DEFAULT_OUT)
    args = ap.parse_args()
    try:
        rows = read_table(args.tsv)
        for nr, symbol, ns, code, texts in rows:
            if len(texts) != ns:
                raise TableError(f"{nr}: ns {ns} but {len(texts)} operators")
        notes = apply_references(rows)
        for nr, symbol, ns, code, texts in rows:
            check_row(nr, symbol, ns, code, [parse_operator(t) for t in texts])
    except (TableError, ValueError) as e:
        print(f"gen_spacegroups: {e}", file=sys.stderr)
        return 1
    for n in notes:
        print(f"gen_spacegroups: {n}", file=sys.stderr)
    write_cpp(rows, notes, args.output, "python3 tools/gen_spacegroups.py")
    print(f"gen_spacegroups: wrote {len(rows)} groups to {args.output}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
