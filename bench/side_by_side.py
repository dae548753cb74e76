#!/usr/bin/env python3
"""Times whole `korva run` calls of two binaries side by side.

    bench/side_by_side.py OLD_KORVA NEW_KORVA INPUT [INPUT ...] [-n RUNS] [--threads N]

The runs alternate (old, new, old, new, ...) so that both meet the same load
on a shared machine; each prints the median wall time, the median CPU time
(user + system) and the old/new ratios, and the largest resident size.
Inputs are run in a scratch directory with copies of examples/ beside them.
"""
import argparse
import os
import pathlib
import resource
import shutil
import statistics
import subprocess
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent


def one_run(binary, inp, work, env):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run([binary, "run", inp.name, "-o", "out.lis"], cwd=work, env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu, after.ru_maxrss


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("old")
    ap.add_argument("new")
    ap.add_argument("inputs", nargs="+")
    ap.add_argument("-n", type=int, default=9)
    ap.add_argument("--threads", type=int, default=0, help="KORVA_THREADS (0: all processors)")
    args = ap.parse_args()
    env = dict(os.environ)
    if args.threads:
        env["KORVA_THREADS"] = str(args.threads)
    print(f"load average {open('/proc/loadavg').read().split()[:3]}, {args.n} runs each, alternating")
    print(f"{'input':22s} {'old wall':>9s} {'new wall':>9s} {'ratio':>6s} {'old cpu':>9s} {'new cpu':>9s} {'ratio':>6s}")
    for name in args.inputs:
        inp = pathlib.Path(name).resolve()
        with tempfile.TemporaryDirectory() as tmp:
            work = pathlib.Path(tmp)
            shutil.copytree(ROOT / "examples", work, dirs_exist_ok=True)
            shutil.copy(inp, work)
            times = {"old": [], "new": []}
            for _ in range(args.n):
                for which in ("old", "new"):
                    times[which].append(one_run(os.path.abspath(getattr(args, which)), inp, work, env))
        med = {w: (statistics.median(t[0] for t in v), statistics.median(t[1] for t in v)) for w, v in times.items()}
        print(f"{inp.name:22s} {med['old'][0]:8.3f}s {med['new'][0]:8.3f}s {med['old'][0] / med['new'][0]:6.2f} "
              f"{med['old'][1]:8.3f}s {med['new'][1]:8.3f}s {med['old'][1] / med['new'][1]:6.2f}")
    print(f"largest resident size of any run: {resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024:.0f} MB")


if __name__ == "__main__":
    main()
