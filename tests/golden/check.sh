#!/usr/bin/env bash
# Runs every example input and compares its listing, .cal file and exit
# status with the outputs kept in tests/golden/<example>/, with the date,
# time and CPU-time lines masked.  The kept outputs are those of the program
# before the simulation became a library; a change that means to alter an
# output refreshes them with --refresh and says why in its commit.
#   tests/golden/check.sh KORVA [--refresh]
set -uo pipefail
korva=$(realpath "$1")
refresh=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
examples=$(cd "$here/../../examples" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mask() { sed -E '/Date: |Time: |CPU-time/d' "$1"; }
failures=0
for input in "$examples"/*.inp; do
  name=$(basename "$input" .inp)
  dir="$work/$name"
  mkdir -p "$dir"
  cp "$examples"/* "$dir/"
  (cd "$dir" && "$korva" run "$name.inp" -o "$name.out" >/dev/null 2>&1; echo $? >"$name.status")
  kept="$here/$name"
  if [ "$refresh" = --refresh ]; then
    rm -rf "$kept"; mkdir -p "$kept"
    mask "$dir/$name.out" >"$kept/$name.out"
    cp "$dir/$name.status" "$kept/"
    for cal in "$dir"/*.cal; do [ -e "$cal" ] && cp "$cal" "$kept/"; done
    continue
  fi
  mask "$dir/$name.out" >"$dir/$name.out.masked"
  for file in "$kept"/*; do
    f=$(basename "$file")
    produced="$dir/$f"
    [ "$f" = "$name.out" ] && produced="$dir/$name.out.masked"
    if [ ! -e "$produced" ] || ! cmp -s "$file" "$produced"; then
      echo "$name: $f differs from the kept output"
      [ -e "$produced" ] && diff "$file" "$produced" | head -n 10
      failures=$((failures + 1))
    fi
  done
  # A .cal file the kept outputs do not have is a change too.
  for cal in "$dir"/*.cal; do
    [ -e "$cal" ] || continue
    [ -e "$kept/$(basename "$cal")" ] || { echo "$name: new file $(basename "$cal")"; failures=$((failures + 1)); }
  done
done
[ "$refresh" = --refresh ] && { echo "refreshed $(ls "$here" | grep -vc '\.sh$') examples"; exit 0; }
echo "$failures differences"
[ "$failures" -eq 0 ]
