#!/usr/bin/env python3
"""Writes the protein-like timing inputs: P 43 21 2 (nr 96), a = b = 79.1 A,
c = 37.9 A, 1000 atoms C:N:O = 3:1:1 at pseudo-random positions (fixed seed),
H = 0 0 4, Cu tube, drumin 1.

    bench/make_protein.py            # rewrites bench/protein.inp and bench/protein-turn.inp

protein.inp scans psi -5..5 at 50 steps/degree, protein-turn.inp the full turn
-180..180 at 50 steps/degree.  The positions come from Python's Mersenne
Twister with seed 12, rounded to four decimals, so the files do not depend on
the Python version.
"""
import pathlib
import random

SEED = 12
ATOMS = 1000


def atom_lines():
    rng = random.Random(SEED)
    tables = [1] * 600 + [2] * 200 + [3] * 200  # C, N, O
    rng.shuffle(tables)
    lines = []
    for n in tables:
        x, y, z = (rng.random() for _ in range(3))
        lines.append(f"{n:4d}  1.  {x:.4f}  {y:.4f}  {z:.4f}")
        lines.append("0.0010  0.0010  0.0040  0.  0.  0.")
    return lines


def write(path, title, ps, line6):
    lines = [
        title,
        ps,
        "79.1  79.1  37.9  90. 90. 90.",
        "Cu",
        "0.14  0.14  150.  150.  0.0",
        line6,
        f"96  {ATOMS}  3",
        "C",
        "N",
        "O",
        *atom_lines(),
        " 0  0  4  0  0  0  0",
    ]
    path.write_text("\n".join(lines) + "\n")


def main():
    bench = pathlib.Path(__file__).resolve().parent
    write(bench / "protein.inp", "Protein-like cell P 43 21 2, 1000 atoms (timing case)", "protein.ps",
          "-5.  5.  50  0  1.  0.")
    write(bench / "protein-turn.inp", "Protein-like cell P 43 21 2, 1000 atoms, full turn (timing case)",
          "protein-turn.ps", "-180.  180.  50  0  1.  0.")


if __name__ == "__main__":
    main()
