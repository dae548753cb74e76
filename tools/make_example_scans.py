#!/usr/bin/env python3
"""Writes the constructed measured scans of examples/.

None of these files is a measurement: each is a flat primary level with a
few multiple-diffraction peaks and dips of made-up positions and heights,
plus deterministic pseudo-random counting noise, written in the column
layout of its instrument.  With --template a calculated scan (.cal) can
serve as the shape instead: the scan is then that curve, scaled, shifted in
psi and with noise, so that the comparison has something to find.

    tools/make_example_scans.py [--template KIND=FILE.cal ...]

KIND is one of zn, si, neutron.
"""
import argparse
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "examples")


class Noise:
    """A small linear congruential generator: the files never change."""

    def __init__(self, seed):
        self.state = seed

    def uniform(self):
        self.state = (1103515245 * self.state + 12345) % 2**31
        return self.state / 2**31

    def gauss(self):
        u1 = max(self.uniform(), 1e-12)
        u2 = self.uniform()
        return math.sqrt(-2 * math.log(u1)) * math.cos(2 * math.pi * u2)


def made_up_shape(level, events):
    """A primary level with Gaussian events (psi, height, width)."""

    def shape(psi):
        return level + sum(h * math.exp(-0.5 * ((psi - p) / w) ** 2) for p, h, w in events)

    return shape


def template_shape(path, scale, shift):
    """The calculated scan of a .cal file, scaled and shifted by shift degrees."""
    psi, val = [], []
    with open(path) as f:
        for line in f:
            if line.strip():
                psi.append(float(line[0:10]))
                val.append(float(line[10:30]))

    def shape(x):
        x = x - shift
        if x <= psi[0]:
            return scale * val[0]
        if x >= psi[-1]:
            return scale * val[-1]
        step = psi[1] - psi[0]
        i = min(int((x - psi[0]) / step), len(psi) - 2)
        f = (x - psi[i]) / step
        return scale * ((1 - f) * val[i] + f * val[i + 1])

    return shape


def grid(start, stop, step):
    n = int(round((stop - start) / step))
    return [start + i * step for i in range(n + 1)]


def noisy(noise, v):
    return max(v + math.sqrt(max(v, 1.0)) * noise.gauss(), 0.0)


def write(name, text):
    with open(os.path.join(EXAMPLES, name), "w") as f:
        f.write(text)


def zinc_obs(shape, noise):
    # Reference reflections: the first line as the input description prints it.
    lines = [
        "   -1    2   -4    58.375     0.       1941.340",
        "   -2    3    1    63.700     0.        850.500",
        "   -2    1    2    41.040     0.       3120.000",
    ]
    for psi in grid(-40.0, -36.0, 0.02):
        lines.append("%5d%5d%5d%10.3f%9.2f%15.3f" % (0, 0, 3, 27.85, psi, noisy(noise, shape(psi))))
    return "\n".join(lines) + "\n"


def cad4_record(h, k, l, flag, psi, ns, primary, bl, peak, br, theta, counts):
    s = "  REC %4d%5d%5d%5d %c   **%7.2f" % (len(counts) % 10000, h, k, l, flag, psi)
    s += "%4d" % ns if primary else " %3d" % ns
    s += "%6d%7d%6d\n" % (bl, peak, br)
    s += "     THETA%8.3f\n" % theta
    for line in range(8):
        groups = ["".join("%4d" % counts[line * 12 + g * 3 + j] for j in range(3)) for g in range(4)]
        s += "  PROFILE  " + " ".join(groups) + "\n"
    return s


def zinc_cad4(shape, noise):
    """Profiles of 96 points: a peak in the middle on a flat background."""
    out = ["CAD-4 psi scan of Zn 0 0 3 -- constructed example, not a measurement\n"]
    ref = [3 + int(2 * noise.uniform()) for _ in range(96)]
    out.append(cad4_record(-1, 2, -4, "I", 0.0, 1, False, 240, 118000, 260, 58.375, ref))
    out.append(cad4_record(-2, 1, 2, "I", 0.0, -2, False, 200, 16000, 210, 41.04, ref))
    for psi in grid(-40.0, -36.0, 0.05):
        ns = 4
        cps = shape(psi)  # counts per second wanted for the whole profile
        total = cps * 60.0 * ns / 16.48
        bg = 2.0
        peak = max(total - 96 * bg, 0.0)
        prof = []
        for i in range(96):
            w = math.exp(-0.5 * ((i - 47.5) / 10.0) ** 2)
            prof.append(w)
        norm = sum(prof)
        counts = [min(int(round(noisy(noise, bg + peak * w / norm))), 9999) for w in prof]
        out.append(cad4_record(0, 0, 3, " ", psi, ns, True, 0, 0, 0, 27.85, counts))
    return "".join(out)


def silicon_obs(shape, noise):
    lines = [
        "    1    1    1     5.137      .000    5130.000     1.000",
        "   -1   -1   -1     5.137      .000    5080.000     1.000",
        "    0    0    4    11.917      .000    2950.000     0.950",
    ]
    for psi in grid(176.0, 177.0, 0.002):
        lines.append("%5d%5d%5d%10.3f%10.3f%12.3f%10.3f" % (2, 2, 2, 10.31, psi, noisy(noise, shape(psi)), 1.0))
    return "\n".join(lines) + "\n"


def block(values):
    s = ""
    for i, v in enumerate(values):
        s += "%8.0f" % v
        if i % 10 == 9 or i == len(values) - 1:
            s += "\n"
    return s


def huber_record(h, k, l, value, sigma, code, pol, two_theta, tc, psi, mb, c1, c2):
    s = "%4d%4d%4d%9.2f%9.2f%3d%8.3f%8.3f%8.3f%8.3f%8.3f%7d\n" % (
        h, k, l, value, sigma, code, pol, two_theta, 0.0, 0.0, 0.0, 0)
    s += " " * 20 + "%3d%5.1f%6.2f%7.3f%8.3f%8.3f%8.3f%8.3f%7d\n" % (len(c1), 0.0, tc, psi, 0.0, mb, 0.0, 0.0, 0)
    s += "%8.3f%8.3f%8.3f\n" % (0.0, 0.0, 0.0)
    return s + block(c1) + block(c2) + block([0] * len(c1))


def silicon_huber(shape, noise):
    out = ["HUBER / HASYLAB psi scan of Si 2 2 2 -- constructed example, not a measurement\n"]
    out.append("        Filter factors".ljust(24) + "%8.3f%8.3f%8.3f\n" % (2.029, 4.065, 16.756))
    out.append("        Dead times (us)".ljust(24) + "%8.3f%8.3f%8.3f\n" % (2.9, 5.0, 5.0))
    out.append("        Counters: detector, monitor, diode\n")
    out.append("        Beam count".ljust(24) + "%8.1f\n" % 10000.0)
    monitor = [10000.0] * 21
    for (h, k, l), value, two_theta in (((1, 1, 1), 5130.0, 10.274), ((-1, -1, -1), 5080.0, -10.274),
                                        ((0, 0, 4), 2950.0, 23.834)):
        c1 = [20 + value * math.exp(-0.5 * ((i - 10) / 3.0) ** 2) for i in range(21)]
        out.append(huber_record(h, k, l, value, math.sqrt(value), 0, 1.0, two_theta, 1.0, 0.0, 1.0, c1, monitor))
    for psi in grid(176.0, 177.0, 0.005):
        value = noisy(noise, shape(psi))
        c1 = [3 + value * math.exp(-0.5 * ((i - 10) / 3.0) ** 2) / 3.0 for i in range(21)]
        out.append(huber_record(2, 2, 2, value, math.sqrt(max(value, 1.0)), 1, 1.0, 20.62, 1.0, psi, 1.0,
                                c1, monitor))
    return "".join(out)


def silicon_neutron_obs(shape, noise):
    lines = [
        "  1  1  1  11.03   0.   4.10e6",
        "  3  1  1  21.50   0.   1.93e6",
        "  2  2  0  18.21   0.   3.32e6",
    ]
    for psi in grid(10.0, 20.0, 0.05):
        lines.append("%3d%3d%3d%7.2f%8.2f%9.1f" % (2, 2, 2, 22.50, psi, noisy(noise, shape(psi))))
    return "\n".join(lines) + "\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--template", action="append", default=[], help="KIND=FILE.cal")
    args = ap.parse_args()
    shapes = {
        "zn": made_up_shape(60.0, [(-39.3, 180.0, 0.03), (-38.1, -25.0, 0.05), (-37.2, 90.0, 0.04)]),
        "si": made_up_shape(15.0, [(176.31, 60.0, 0.004), (176.72, 25.0, 0.006)]),
        "neutron": made_up_shape(200.0, [(12.5, 150.0, 0.2), (17.0, 90.0, 0.3)]),
    }
    for t in args.template:
        kind, path = t.split("=", 1)
        shapes[kind] = template_shape(path, 0.9, 0.04 if kind != "neutron" else 0.05)
    write("zn003.obs", zinc_obs(shapes["zn"], Noise(1)))
    write("zn003cad.dat", zinc_cad4(shapes["zn"], Noise(2)))
    write("si222.obs", silicon_obs(shapes["si"], Noise(3)))
    write("si222-huber.dat", silicon_huber(shapes["si"], Noise(4)))
    write("si222n.obs", silicon_neutron_obs(shapes["neutron"], Noise(5)))


if __name__ == "__main__":
    main()
