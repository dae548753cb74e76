#!/usr/bin/env python3
"""Checks the layering of src/: every folder may include its own headers and
those of the folders listed for it below, nothing else.  The flow of a run is
input -> model -> simulation -> result -> writers; the desktop and the command
line sit on top.

Usage: tools/check_layers.py SRC_DIR   (exit 1 and one line per offence)
"""
import os
import re
import sys

ALLOWED = {
    "support": set(),
    "model": {"support"},
    "crystal": {"support"},
    "measure": {"support", "model", "crystal"},
    "plot": {"support"},
    "scan": {"support", "model", "crystal", "measure", "plot"},
    "cif": {"support", "crystal"},
    "ui": {"support"},
    "shell": {"support", "model", "crystal", "measure", "plot", "scan", "ui"},
    "cli": {"support", "model", "crystal", "measure", "plot", "scan", "cif", "ui", "shell"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/')


def main():
    src = sys.argv[1]
    offences = []
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        if folder not in ALLOWED:
            offences.append(f"{folder}/: a folder without a place in the layers (tools/check_layers.py)")
            continue
        for name in sorted(os.listdir(path)):
            with open(os.path.join(path, name), encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if m and m.group(1) != folder and m.group(1) not in ALLOWED[folder]:
                        offences.append(f"{folder}/{name}:{number}: includes {m.group(1)}/, a layer above")
    for o in offences:
        print(o)
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main())
