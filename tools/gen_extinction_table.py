#!/usr/bin/env python3
"""Generates src/crystal/extinction_table.cpp, the extinction factor E(x, theta)
of a mosaic block on the grid x = 0.0 .. 30.0 (step 0.1, 301 rows) and
theta = 0 .. 90 degrees (step 5, 19 columns).

The reference values below are the tabulated ones (three decimals); every
other grid value is filled by monotone piecewise cubic Hermite interpolation
(PCHIP, Fritsch-Carlson with weighted harmonic-mean slopes):

1. along theta within each reference row, from the columns it gives: every
   reference row spans the full range 0..90 degrees, so this step only
   interpolates;
2. along x within each of the 19 columns, through the completed reference
   rows.

Filling along x first is not possible without extrapolating: most columns
are not given at x = 0.1, 0.5, 1, 2, 10 and 30.  PCHIP never overshoots the
data, keeps a local extremum of a reference row where it is (the theta
profile has a minimum near 30 degrees at x = 1.2), and keeps each column
non-increasing in x because the completed reference rows are.  Values are
rounded to four decimals, which leaves the three-decimal reference values
exact and keeps the columns non-increasing.

Standard library only.  Usage: tools/gen_extinction_table.py [OUTPUT]
"""

import os
import sys

ROWS, COLS = 301, 19
THETA = [5.0 * c for c in range(COLS)]

# Rows given at theta = 0, 20, 45, 70, 90 degrees.
SPARSE_COLUMNS = [0, 4, 9, 14, 18]
SPARSE_ROWS = {
    0.0: [1.0, 1.0, 1.0, 1.0, 1.0],
    0.1: [0.992, 0.992, 0.989, 0.987, 0.986],
    0.5: [0.82, 0.808, 0.763, 0.719, 0.706],
    1.0: [0.47, 0.453, 0.424, 0.421, 0.421],
    2.0: [0.183, 0.2, 0.23, 0.248, 0.253],
    10.0: [0.038, 0.042, 0.054, 0.066, 0.07],
    30.0: [0.012, 0.014, 0.02, 0.026, 0.028],
}

# Rows given at every second column, theta = 0, 10, ..., 90 degrees.
EVEN_COLUMNS = list(range(0, COLS, 2))
EVEN_ROWS = {
    0.2: [0.969, 0.968, 0.966, 0.963, 0.959, 0.953, 0.948, 0.943, 0.94, 0.939],
    0.3: [0.931, 0.929, 0.925, 0.918, 0.91, 0.899, 0.889, 0.88, 0.874, 0.871],
    0.4: [0.88, 0.878, 0.871, 0.861, 0.847, 0.831, 0.815, 0.802, 0.793, 0.79],
    0.6: [0.753, 0.749, 0.737, 0.719, 0.696, 0.674, 0.654, 0.639, 0.629, 0.625],
    0.7: [0.681, 0.676, 0.663, 0.643, 0.619, 0.598, 0.58, 0.567, 0.559, 0.556],
    0.8: [0.608, 0.603, 0.589, 0.568, 0.547, 0.529, 0.515, 0.507, 0.501, 0.499],
    0.9: [0.537, 0.532, 0.518, 0.499, 0.482, 0.47, 0.463, 0.459, 0.456, 0.455],
    1.2: [0.356, 0.353, 0.346, 0.342, 0.346, 0.355, 0.363, 0.369, 0.371, 0.372],
    1.5: [0.244, 0.245, 0.25, 0.264, 0.283, 0.299, 0.308, 0.313, 0.315, 0.316],
    2.5: [0.159, 0.161, 0.168, 0.173, 0.18, 0.192, 0.201, 0.208, 0.212, 0.213],
    3.0: [0.125, 0.127, 0.133, 0.142, 0.155, 0.164, 0.172, 0.179, 0.184, 0.185],
    4.0: [0.096, 0.099, 0.104, 0.11, 0.119, 0.127, 0.135, 0.142, 0.146, 0.147],
    5.0: [0.074, 0.076, 0.083, 0.09, 0.096, 0.105, 0.112, 0.118, 0.122, 0.123],
    6.0: [0.063, 0.065, 0.068, 0.075, 0.082, 0.089, 0.096, 0.101, 0.105, 0.106],
    7.0: [0.054, 0.056, 0.06, 0.065, 0.071, 0.078, 0.084, 0.089, 0.092, 0.094],
    8.0: [0.047, 0.048, 0.052, 0.057, 0.063, 0.069, 0.075, 0.079, 0.083, 0.084],
    12.0: [0.031, 0.033, 0.035, 0.039, 0.043, 0.048, 0.052, 0.056, 0.059, 0.06],
    15.0: [0.025, 0.026, 0.028, 0.031, 0.035, 0.039, 0.043, 0.046, 0.049, 0.05],
    20.0: [0.019, 0.02, 0.021, 0.024, 0.027, 0.03, 0.034, 0.036, 0.038, 0.039],
    25.0: [0.015, 0.016, 0.017, 0.019, 0.022, 0.025, 0.028, 0.03, 0.032, 0.032],
}


def pchip_slopes(x, y):
    n = len(x)
    h = [x[i + 1] - x[i] for i in range(n - 1)]
    d = [(y[i + 1] - y[i]) / h[i] for i in range(n - 1)]
    if n == 2:
        return [d[0], d[0]]
    m = [0.0] * n
    for i in range(1, n - 1):
        if d[i - 1] * d[i] <= 0.0:
            m[i] = 0.0  # local extremum or flat piece: no overshoot
        else:
            w1 = 2.0 * h[i] + h[i - 1]
            w2 = h[i] + 2.0 * h[i - 1]
            m[i] = (w1 + w2) / (w1 / d[i - 1] + w2 / d[i])

    def end_slope(h0, h1, d0, d1):
        s = ((2.0 * h0 + h1) * d0 - h0 * d1) / (h0 + h1)
        if s * d0 <= 0.0:
            return 0.0
        if d0 * d1 <= 0.0 and abs(s) > abs(3.0 * d0):
            return 3.0 * d0
        return s

    m[0] = end_slope(h[0], h[1], d[0], d[1])
    m[-1] = end_slope(h[-1], h[-2], d[-1], d[-2])
    return m


def pchip(x, y, at):
    m = pchip_slopes(x, y)
    out = []
    for v in at:
        i = 0
        while i < len(x) - 2 and v > x[i + 1]:
            i += 1
        h = x[i + 1] - x[i]
        t = (v - x[i]) / h
        out.append((2 * t**3 - 3 * t**2 + 1) * y[i] + (t**3 - 2 * t**2 + t) * h * m[i]
                   + (-2 * t**3 + 3 * t**2) * y[i + 1] + (t**3 - t**2) * h * m[i + 1])
    return out


def build():
    given = {}  # (row, column) -> value
    rows = {}   # row -> completed list of 19 values
    for table, columns in ((SPARSE_ROWS, SPARSE_COLUMNS), (EVEN_ROWS, EVEN_COLUMNS)):
        for x, values in table.items():
            r = round(10 * x)
            assert r not in rows
            rows[r] = pchip([THETA[c] for c in columns], values, THETA)
            for c, v in zip(columns, values):
                given[(r, c)] = v
    known = sorted(rows)
    assert known[0] == 0 and known[-1] == ROWS - 1
    table = [[0.0] * COLS for _ in range(ROWS)]
    for c in range(COLS):
        column = pchip([r / 10 for r in known], [rows[r][c] for r in known],
                       [r / 10 for r in range(ROWS)])
        for r in range(ROWS):
            table[r][c] = round(column[r], 4)
    check(table, given)
    return table


def check(table, given):
    for (r, c), v in given.items():
        assert table[r][c] == v, (r, c, table[r][c], v)
    for c in range(COLS):
        assert table[0][c] == 1.0
        for r in range(ROWS - 1):
            assert table[r + 1][c] <= table[r][c], (r, c)
            assert table[r + 1][c] > 0.0


def write(table, path):
    lines = [
        "// Generated by tools/gen_extinction_table.py; do not edit.",
        "//",
        "// Extinction factor E of a mosaic block, rows x = 0.0 .. 30.0 (step 0.1),",
        "// columns theta = 0 .. 90 degrees (step 5).  The three-decimal values of",
        "// the reference rows (x = 0, 0.1 .. 0.9, 1.0, 1.2, 1.5, 2.0, 2.5, 3 .. 8,",
        "// 10, 12, 15, 20, 25, 30) are kept exactly; the rest is filled by monotone",
        "// cubic (PCHIP) interpolation, first along theta within each reference row,",
        "// then along x in each column, and rounded to four decimals.",
        '#include "crystal/extinction_table.hpp"',
        "",
        "namespace korva {",
        "",
        "const float kExtinctionTable[kExtinctionRows][kExtinctionColumns] = {",
    ]
    for r, row in enumerate(table):
        values = ", ".join("%.4ff" % v for v in row)
        lines.append("    {%s},  // x = %.1f" % (values, r / 10))
    lines += ["};", "", "}  // namespace korva", ""]
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "src", "crystal", "extinction_table.cpp")
    path = sys.argv[1] if len(sys.argv) > 1 else default
    write(build(), path)


if __name__ == "__main__":
    main()
