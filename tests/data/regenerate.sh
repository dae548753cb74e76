#!/usr/bin/env bash
# Regenerates every generated table from data/ with the generators in tools/
# and compares the result with the committed sources: a clone must be able to
# rebuild its own tables, and nobody may edit a generated file by hand.
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 "$src/tools/gen_crystal_tables.py" "$src/data" "$out" >/dev/null
python3 "$src/tools/gen_spacegroups.py" "$src/data/spacegroups.tsv" -o "$out/spacegroup_table_data.cpp" 2>/dev/null
python3 "$src/tools/gen_extinction_table.py" "$out/extinction_table.cpp" >/dev/null
status=0
for f in "$out"/*.cpp; do
  name=$(basename "$f")
  committed=$(ls "$src"/src/*/"$name" 2>/dev/null | head -n 1)
  if [ -z "$committed" ]; then
    echo "no committed source for $name"; status=1
  elif ! cmp -s "$f" "$committed"; then
    echo "differs from its generator: ${committed#$src/}"; diff "$committed" "$f" | head -n 20; status=1
  fi
done
[ "$(ls "$out" | wc -l)" -eq 6 ] || { echo "expected 6 generated sources"; status=1; }
exit $status
