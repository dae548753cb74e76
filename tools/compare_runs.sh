#!/usr/bin/env bash
# Runs every example with two korva binaries and compares what they write:
# the listing, the .cal file and the PostScript page, with the date, time and
# elapsed-time stamps masked.  Prints one line per difference and the count.
#   tools/compare_runs.sh OLD_KORVA NEW_KORVA [EXAMPLES_DIR]
set -uo pipefail
old=$(realpath "$1"); new=$(realpath "$2")
examples=$(realpath "${3:-$(dirname "$0")/../examples}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mask() { sed -E 's/[0-9]{2} \. [0-9]{2} \. [0-9]{2}/DD . DD . DD/g; /CPU|[Tt]ime|Date/d' "$1"; }
differences=0
for input in "$examples"/*.inp; do
  name=$(basename "$input" .inp)
  for side in old new; do
    mkdir -p "$work/$side/$name"
    cp "$examples"/* "$work/$side/$name/"
    bin=$old; [ $side = new ] && bin=$new
    (cd "$work/$side/$name" && "$bin" run "$name.inp" -o "$name.out" >stdout 2>stderr; echo $? >status)
  done
  for f in $(cd "$work/old/$name" && ls); do
    a="$work/old/$name/$f"; b="$work/new/$name/$f"
    [ -f "$b" ] || { echo "$name: $f missing"; differences=$((differences + 1)); continue; }
    if ! cmp -s <(mask "$a") <(mask "$b"); then
      echo "$name: $f differs"; diff <(mask "$a") <(mask "$b") | head -n 6
      differences=$((differences + 1))
    fi
  done
done
echo "$differences differences"
[ "$differences" -eq 0 ]
