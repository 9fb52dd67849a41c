#!/usr/bin/env python3
"""Which folder of src/ includes which: one line per folder with the folders it includes
(and from how many files), then every pair of folders that include each other, with the
files that make each direction.
usage: tools/include_graph.py [SRC_DIR]"""
import collections
import pathlib
import re
import sys

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "src")
edges = collections.defaultdict(lambda: collections.defaultdict(set))
for f in sorted(src.glob("*/*")):
    if f.suffix not in (".h", ".cpp"):
        continue
    here = f.parent.name
    for m in re.finditer(r'^\s*#\s*include\s+"([^/"]+)/([^"]+)"', f.read_text(errors="replace"), re.M):
        if m.group(1) != here and (src / m.group(1)).is_dir():
            edges[here][m.group(1)].add(f"{f.name} -> {m.group(1)}/{m.group(2)}")
for a in sorted(edges):
    print(f"{a:10} -> " + ", ".join(f"{b}({len(edges[a][b])})" for b in sorted(edges[a])))
print()
for a in sorted(edges):
    for b in sorted(edges[a]):
        if a < b and a in edges[b]:
            print(f"cycle {a} <-> {b}")
            for side in (edges[a][b], edges[b][a]):
                for line in sorted(side):
                    print("   ", line)
