#!/usr/bin/env python3
"""Writes the sample drawings of samples/ (run from the repository root)."""
import math
import os

LABEL_NEW = " X   Y   PenNo (0-continue,-1-stop)"
LABEL_OLD = " X   Y   PenNo (0-Pen up, -1-stop)"


def rec(x, y, pen):
    return f"{x:5.2f} {y:5.2f} {pen}"


def write(name, label, records):
    path = os.path.join("samples", name)
    with open(path, "w", newline="") as f:
        f.write(label + "\r\n")
        for r in records:
            f.write(r + "\r\n")
        f.write(" 0 0 -1\r\n")
    print(path, os.path.getsize(path), "bytes")


def new_poly(points, pen):
    out = [rec(points[0][0], points[0][1], pen)]
    out += [rec(x, y, 0) for x, y in points[1:]]
    return out


def old_poly(points, pen):
    out = [rec(points[0][0], points[0][1], 0)]
    out += [rec(x, y, pen) for x, y in points[1:]]
    return out


def circle(cx, cy, r, n=48):
    return [(cx + r * math.cos(2 * math.pi * i / n), cy + r * math.sin(2 * math.pi * i / n)) for i in range(n + 1)]


def part():
    """A flange plate: outline with rounded corners, holes, centre lines, a dimension."""
    recs = []
    w, h, r = 160.0, 100.0, 12.0
    pts = []
    for cx, cy, a0 in ((w - r, r, -90), (w - r, h - r, 0), (r, h - r, 90), (r, r, 180)):
        for i in range(0, 91, 10):
            a = math.radians(a0 + i)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    pts.append(pts[0])
    recs += new_poly(pts, 15)                                   # outline, white
    recs += new_poly(circle(w / 2, h / 2, 28), 14)              # bore, yellow
    recs += new_poly(circle(w / 2, h / 2, 20), 14)
    for hx, hy in ((22, 22), (w - 22, 22), (w - 22, h - 22), (22, h - 22)):
        recs += new_poly(circle(hx, hy, 6, 24), 11)             # bolt holes, cyan
        recs += new_poly([(hx - 10, hy), (hx + 10, hy)], 4)     # centre marks, dark red
        recs += new_poly([(hx, hy - 10), (hx, hy + 10)], 4)
    recs += new_poly([(-10, h / 2), (w + 10, h / 2)], 4)         # centre lines
    recs += new_poly([(w / 2, -10), (w / 2, h + 10)], 4)
    # A dimension line with arrows below the part, green.
    y = -20
    recs += new_poly([(0, -5), (0, y - 5)], 10)
    recs += new_poly([(w, -5), (w, y - 5)], 10)
    recs += new_poly([(0, y), (w, y)], 10)
    recs += new_poly([(6, y + 2), (0, y), (6, y - 2)], 10)
    recs += new_poly([(w - 6, y + 2), (w, y), (w - 6, y - 2)], 10)
    # A keyway, magenta, and a chamfer line, blue.
    recs += new_poly([(w / 2 - 5, h / 2 + 28), (w / 2 - 5, h / 2 + 34), (w / 2 + 5, h / 2 + 34),
                      (w / 2 + 5, h / 2 + 28)], 13)
    recs += new_poly([(r, 4), (w - r, 4)], 9)
    write("PART.UGF", LABEL_NEW, recs)


def plan():
    """A floor plan in the old variant: walls, doors, windows, furniture."""
    recs = []
    walls = [(0, 0), (12000, 0), (12000, 8000), (0, 8000), (0, 0)]
    recs += old_poly(walls, 15)
    inner = [(200, 200), (11800, 200), (11800, 7800), (200, 7800), (200, 200)]
    recs += old_poly(inner, 15)
    recs += old_poly([(5000, 200), (5000, 4500)], 7)           # partitions
    recs += old_poly([(5000, 5500), (5000, 7800)], 7)
    recs += old_poly([(5000, 4000), (11800, 4000)], 7)
    for x in (1500, 3000, 7000, 9500):                           # windows, cyan
        recs += old_poly([(x, 0), (x + 1000, 0), (x + 1000, 200), (x, 200), (x, 0)], 11)
    for cx, cy, a0 in ((5000, 4500, 0), (8000, 4000, 90)):      # door swings, yellow
        pts = [(cx, cy)] + [(cx + 1000 * math.cos(math.radians(a0 + i)), cy + 1000 * math.sin(math.radians(a0 + i)))
                            for i in range(0, 91, 10)] + [(cx, cy)]
        recs += old_poly(pts, 14)
    recs += old_poly([(1000, 5500), (3500, 5500), (3500, 7000), (1000, 7000), (1000, 5500)], 12)  # table
    recs += old_poly(circle(7500, 6000, 600, 32), 10)          # round table
    recs += old_poly(circle(10000, 2000, 400, 32), 9)
    write("PLAN.UGF", LABEL_OLD, recs)


def spiral():
    """One polyline of 3000 points: more than the element store keeps in memory."""
    pts = []
    for i in range(3000):
        a = i * 0.05
        r = 2 + a * 3
        pts.append((r * math.cos(a), r * math.sin(a)))
    write("SPIRAL.UGF", LABEL_NEW, new_poly(pts, 12))


def pens():
    """Bars in pens 1..15 and in a few shade-ramp pens above 15, and one above 527."""
    recs = []
    all_pens = list(range(1, 16)) + [16, 48, 79, 80, 143, 207, 271, 335, 399, 463, 527, 600]
    for i, p in enumerate(all_pens):
        x = i * 10.0
        for k in range(5):
            recs += new_poly([(x + k, 0), (x + k, 60)], p)
    write("PENS.UGF", LABEL_NEW, recs)


def points():
    """Single points (drawn as diamond markers) and negative coordinates."""
    recs = []
    for i in range(-5, 6):
        for j in range(-3, 4):
            recs.append(rec(i * 20.0, j * 20.0, 1 + (i + j) % 15 if (i + j) % 15 >= 0 else 15))
    recs += new_poly([(-120, -80), (120, -80), (120, 80), (-120, 80), (-120, -80)], 8)
    recs += new_poly([(-120, 0), (120, 0)], 7)
    recs += new_poly([(0, -80), (0, 80)], 7)
    write("POINTS.UGF", LABEL_NEW, recs)


if __name__ == "__main__":
    part()
    plan()
    spiral()
    pens()
    points()
