#!/usr/bin/env python3
"""Runs every example (and the bench inputs) with two korva binaries and
counts the printed values that differ.

    bench/compare_outputs.py OLD_KORVA NEW_KORVA [--skip NAME ...]

Each input runs in a directory of its own with copies of the example files
(scan files are found by name), once with the old binary and with the new
one at KORVA_THREADS=1 and 2.  Date, Time and CPU-time lines are masked.
For the listing a changed number is counted as "last digit" when it moved
by at most one unit of its last printed digit, otherwise as "larger"; a
line whose text (not its numbers) changed is counted apart.  For the .cal
file the largest difference is given relative to the scan maximum, with the
number of values that changed.  The
listings and .cal files of 1 and 2 threads must be identical.
"""
import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
NUMBER = re.compile(r"[-+]?(?:\d+\.\d*|\.\d+|\d+)(?:[Ee][-+]?\d+)?")
MASKED = ("Date:", "Time:", "CPU-time")


def run(binary, inp, workdir, threads):
    shutil.copytree(ROOT / "examples", workdir, dirs_exist_ok=True)
    shutil.copy(inp, workdir)
    env = dict(os.environ, KORVA_THREADS=str(threads))
    subprocess.run([binary, "run", inp.name, "-o", "out.lis"], cwd=workdir, env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    listing = (workdir / "out.lis").read_text(errors="replace") if (workdir / "out.lis").exists() else ""
    cals = {p.name: p.read_text() for p in workdir.glob("*.cal")}
    return listing, cals


def masked(text):
    return [l for l in text.splitlines() if not any(m in l for m in MASKED)]


def last_unit(token):
    mantissa = re.split(r"[Ee]", token)[0]
    decimals = len(mantissa.split(".")[1]) if "." in mantissa else 0
    unit = 10.0 ** -decimals
    if "e" in token.lower():
        unit *= 10.0 ** int(re.split(r"[Ee]", token)[1])
    return unit


def compare_listing(old, new):
    counts = {"values": 0, "last digit": 0, "larger": 0, "lines": 0}
    a, b = masked(old), masked(new)
    if len(a) != len(b):
        counts["lines"] += abs(len(a) - len(b))
    for la, lb in zip(a, b):
        ta, tb = NUMBER.findall(la), NUMBER.findall(lb)
        counts["values"] += len(ta)
        if NUMBER.sub("#", la).split() != NUMBER.sub("#", lb).split() or len(ta) != len(tb):
            counts["lines"] += 1
            continue
        for x, y in zip(ta, tb):
            if x == y:
                continue
            diff = abs(float(x) - float(y))
            if diff <= 1.0001 * max(last_unit(x), last_unit(y)):
                counts["last digit"] += 1
            else:
                counts["larger"] += 1
    return counts


def cal_values(text):
    return [float(l.split()[1]) for l in text.splitlines() if len(l.split()) >= 2]


def compare_cal(old, new):
    """Largest difference relative to the scan maximum, and the number of
    changed values."""
    worst, changed = 0.0, 0
    for name in sorted(set(old) | set(new)):
        a, b = cal_values(old.get(name, "")), cal_values(new.get(name, ""))
        if len(a) != len(b):
            return float("inf"), max(len(a), len(b))
        top = max([abs(v) for v in a] + [1e-30])
        worst = max([worst] + [abs(x - y) / top for x, y in zip(a, b)])
        changed += sum(1 for x, y in zip(a, b) if x != y)
    return worst, changed


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("old")
    ap.add_argument("new")
    ap.add_argument("--skip", nargs="*", default=["protein-turn.inp"])
    args = ap.parse_args()
    inputs = sorted((ROOT / "examples").glob("*.inp")) + sorted((ROOT / "bench").glob("*.inp"))
    total = {"values": 0, "last digit": 0, "larger": 0, "lines": 0}
    failed = False
    print(f"{'input':28s} {'values':>7s} {'last digit':>10s} {'larger':>7s} {'lines':>6s} {'.cal/max':>9s} "
          f"{'.cal chg':>8s}  threads")
    for inp in inputs:
        if inp.name in args.skip:
            continue
        with tempfile.TemporaryDirectory() as tmp:
            tmp = pathlib.Path(tmp)
            old = run(os.path.abspath(args.old), inp, tmp / "old", 2)
            new1 = run(os.path.abspath(args.new), inp, tmp / "new1", 1)
            new2 = run(os.path.abspath(args.new), inp, tmp / "new2", 2)
        c = compare_listing(old[0], new2[0])
        cal, cal_changed = compare_cal(old[1], new2[1])
        same = masked(new1[0]) == masked(new2[0]) and new1[1] == new2[1]
        failed |= not same or c["larger"] > 0 or c["lines"] > 0 or cal > 1e-5
        for k in total:
            total[k] += c[k]
        print(f"{inp.name:28s} {c['values']:7d} {c['last digit']:10d} {c['larger']:7d} {c['lines']:6d} "
              f"{cal:9.1e} {cal_changed:8d}  {'identical' if same else 'DIFFER'}")
    print(f"{'all':28s} {total['values']:7d} {total['last digit']:10d} {total['larger']:7d} {total['lines']:6d}")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
