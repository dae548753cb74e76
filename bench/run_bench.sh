#!/usr/bin/env bash
# Times whole `korva run` calls in a Release build:
#   examples/yig-noscan.inp  YIG, Ag tube (two passes), psi -66..16 at 50 steps/degree
#   bench/large-cubic.inp    primitive cubic cell of 25 A, Ag tube, psi -180..180 at
#                            100 steps/degree, drumin 0.02 (about 250000 events simulated)
#   bench/large-fcc.inp      F m -3 m cell of 25 A, 8 heavy atoms, Ag tube, full turn, 50 steps/degree
#   bench/protein.inp        P 43 21 2, 79.1 x 79.1 x 37.9 A, 1000 atoms, Cu tube, psi -5..5
# Two builds side by side: bench/side_by_side.py OLD_KORVA NEW_KORVA INPUT...
# Usage: bench/run_bench.sh [repetitions]   (KORVA_THREADS=n limits the threads)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench-release"
reps="${1:-3}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVA_TESTS=OFF -DKORVA_GUI=OFF >/dev/null
cmake --build "$build" --target korva >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/examples/yig-noscan.inp" "$root/bench/large-cubic.inp" "$root/bench/large-fcc.inp" \
  "$root/bench/protein.inp" "$work/"
cd "$work"
echo "threads: ${KORVA_THREADS:-all ($(nproc))}, load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for input in yig-noscan.inp large-cubic.inp large-fcc.inp protein.inp; do
  n="$reps"
  [ "$input" != yig-noscan.inp ] && n=1
  for ((i = 1; i <= n; i++)); do
    /usr/bin/time -o timing -f "$input: %e s wall, %U s user, %M KB max resident" \
      "$build/korva" run "$input" -o "${input%.inp}.out" >/dev/null
    cat timing
  done
  grep -A1 "Number of multiple diffraction events in the 360" "${input%.inp}.out" | tail -n 1
done
