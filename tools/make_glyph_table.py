#!/usr/bin/env python3
"""Builds the stroke font table: src/dialogs/glyph_table.h and glyph_table.cpp.

Each glyph is written as a path in font units: "M x,y" moves with the pen up,
"L x,y" draws a line. The cell is 70 units wide; baseline y = 0, capitals and
digits 70 high, small letters 50, descenders to -20. Letters keep to x = 10..50
so a 10-unit grid lands on whole pixels at the smallest size (7 px).

Stored form, one byte pair per item:
  (code, 255)          glyph header, code in CP866
  (x, y)               line to x (0..127)
  (256 - x, y)         move to x (2..128)
  y as a signed byte   0..128 as is, -127..-2 as y + 256 (-1 would read as a header)
  (255, 255)           end of table

Usage: make_glyph_table.py [repo root]   (default: the parent of this directory)
"""

import os
import re
import sys

# Letters that Cyrillic shares with Latin are written once and reused below,
# so the two alphabets cannot drift apart.
CAP_A = "M10,0 L40,70 L50,0 M20,20 L50,20"
CAP_B = "M10,0 L10,70 L40,70 L50,60 L50,50 L40,40 L10,40 M40,40 L50,30 L50,10 L40,0 L10,0"
CAP_C = "M50,60 L40,70 L20,70 L10,60 L10,10 L20,0 L40,0 L50,10"
CAP_E = "M50,70 L10,70 L10,0 L50,0 M10,40 L40,40"
CAP_H = "M10,70 L10,0 M50,70 L50,0 M10,40 L50,40"
CAP_K = "M10,70 L10,0 M10,30 L50,70 M23,43 L50,0"
CAP_M = "M10,0 L10,70 L30,30 L50,70 L50,0"
CAP_O = "M10,20 L10,50 L20,70 L40,70 L50,50 L50,20 L40,0 L20,0 L10,20"
CAP_P = "M10,0 L10,70 L40,70 L50,60 L50,50 L40,40 L10,40"
CAP_T = "M10,70 L50,70 M30,70 L30,0"
CAP_X = "M10,70 L50,0 M10,0 L50,70"

SMALL_A = "M10,40 L20,50 L40,50 L50,40 L50,0 M50,30 L20,30 L10,20 L10,10 L20,0 L40,0 L50,10"
SMALL_C = "M50,40 L40,50 L20,50 L10,40 L10,10 L20,0 L40,0 L50,10"
SMALL_E = "M10,30 L50,30 L50,40 L40,50 L20,50 L10,40 L10,10 L20,0 L40,0 L50,10"
SMALL_O = "M10,10 L10,40 L20,50 L40,50 L50,40 L50,10 L40,0 L20,0 L10,10"
SMALL_P = "M10,-20 L10,50 L40,50 L50,40 L50,10 L40,0 L10,0"
SMALL_X = "M10,50 L50,0 M10,0 L50,50"
SMALL_Y = "M10,50 L30,0 M50,50 L30,0 L20,-20 L10,-20"

# Small dots are short strokes: a lone point would vanish on a plotter.
DOTS_CAP = "M20,80 L20,90 M40,80 L40,90"
DOTS_SMALL = "M20,70 L20,80 M40,70 L40,80"

GLYPHS = {
    32: "",
    33: "M35,70 L35,30 M30,0 L30,10 L40,10 L40,0 L30,0",
    34: "M20,70 L20,50 M40,70 L40,50",
    35: "M20,10 L20,60 M40,10 L40,60 M10,20 L50,20 M10,50 L50,50",
    36: "M50,60 L20,60 L10,50 L20,40 L40,40 L50,30 L50,20 L40,10 L10,10 M30,70 L30,0",
    37: "M10,0 L50,70 M10,70 L10,50 L20,50 L20,70 L10,70 M40,20 L40,0 L50,0 L50,20 L40,20",
    # Not an ampersand: a large tick mark that overruns the cell.
    38: "M2,0 L30,-70 L70,70",
    39: "M30,70 L30,50",
    40: "M40,70 L30,60 L30,10 L40,0",
    41: "M20,70 L30,60 L30,10 L20,0",
    42: "M30,60 L30,20 M10,50 L50,30 M10,30 L50,50",
    43: "M30,60 L30,20 M10,40 L50,40",
    44: "M30,0 L30,10 L40,10 L40,0 L30,-10",
    45: "M10,40 L50,40",
    46: "M30,0 L30,10 L40,10 L40,0 L30,0",
    47: "M10,0 L50,70",
    48: "M10,10 L10,60 L20,70 L40,70 L50,60 L50,10 L40,0 L20,0 L10,10",
    49: "M20,60 L30,70 L30,0 M20,0 L40,0",
    50: "M10,60 L20,70 L40,70 L50,60 L50,40 L10,0 L50,0",
    51: "M10,70 L50,70 L30,40 L40,40 L50,30 L50,10 L40,0 L20,0 L10,10",
    52: "M40,0 L40,70 L10,20 L50,20",
    53: "M50,70 L10,70 L10,40 L40,40 L50,30 L50,10 L40,0 L20,0 L10,10",
    54: "M50,60 L40,70 L20,70 L10,60 L10,10 L20,0 L40,0 L50,10 L50,30 L40,40 L10,40",
    55: "M10,70 L50,70 L50,60 L20,0",
    56: "M20,40 L10,50 L10,60 L20,70 L40,70 L50,60 L50,50 L40,40 L20,40 L10,30 L10,10 L20,0"
        " L40,0 L50,10 L50,30 L40,40",
    57: "M10,10 L20,0 L40,0 L50,10 L50,60 L40,70 L20,70 L10,60 L10,40 L20,30 L50,30",
    58: "M30,0 L30,10 L40,10 L40,0 L30,0 M30,40 L30,50 L40,50 L40,40 L30,40",
    59: "M30,0 L30,10 L40,10 L40,0 L30,-10 M30,40 L30,50 L40,50 L40,40 L30,40",
    60: "M50,60 L10,40 L50,20",
    61: "M10,50 L50,50 M10,30 L50,30",
    62: "M10,60 L50,40 L10,20",
    63: "M10,60 L20,70 L40,70 L50,60 L50,50 L35,35 L35,30 M30,0 L30,10 L40,10 L40,0 L30,0",
    64: "M40,20 L20,20 L20,50 L40,50 L40,20 L50,20 L50,60 L40,70 L20,70 L10,60 L10,10 L20,0"
        " L50,0",
    65: CAP_A,
    66: CAP_B,
    67: CAP_C,
    68: "M10,0 L10,70 L30,70 L50,50 L50,20 L30,0 L10,0",
    69: CAP_E,
    70: "M50,70 L10,70 L10,0 M10,40 L40,40",
    71: "M50,60 L40,70 L20,70 L10,60 L10,10 L20,0 L40,0 L50,10 L50,30 L30,30",
    72: CAP_H,
    73: "M20,70 L40,70 M30,70 L30,0 M20,0 L40,0",
    74: "M50,70 L50,10 L40,0 L20,0 L10,10 L10,20",
    75: CAP_K,
    76: "M10,70 L10,0 L50,0",
    77: CAP_M,
    78: "M10,0 L10,70 L50,0 L50,70",
    79: CAP_O,
    80: CAP_P,
    81: CAP_O + " M30,20 L50,0",
    82: CAP_P + " M30,40 L50,0",
    83: "M50,60 L40,70 L20,70 L10,60 L10,50 L20,40 L40,40 L50,30 L50,10 L40,0 L20,0 L10,10",
    84: CAP_T,
    85: "M10,70 L10,10 L20,0 L40,0 L50,10 L50,70",
    86: "M10,70 L30,0 L50,70",
    87: "M10,70 L20,0 L30,40 L40,0 L50,70",
    88: CAP_X,
    89: "M10,70 L30,40 L50,70 M30,40 L30,0",
    90: "M10,70 L50,70 L10,0 L50,0",
    91: "M40,70 L20,70 L20,0 L40,0",
    92: "M10,70 L50,0",
    93: "M20,70 L40,70 L40,0 L20,0",
    # Not a circumflex: a large tick mark that overruns the cell.
    94: "M10,80 L50,127 L110,20",
    # Not an underscore: the not-equal sign.
    95: "M20,30 L50,30 M20,45 L50,45 M30,20 L40,55",
    96: "M30,70 L40,60",
    97: SMALL_A,
    98: "M10,70 L10,0 L40,0 L50,10 L50,40 L40,50 L10,50",
    99: SMALL_C,
    100: "M50,70 L50,0 L20,0 L10,10 L10,40 L20,50 L50,50",
    101: SMALL_E,
    102: "M50,60 L40,70 L30,70 L20,60 L20,0 M10,50 L40,50",
    103: "M50,0 L20,0 L10,10 L10,40 L20,50 L50,50 L50,-10 L40,-20 L10,-20",
    104: "M10,70 L10,0 M10,50 L40,50 L50,40 L50,0",
    105: "M30,50 L30,0 M30,70 L30,80",
    106: "M40,50 L40,-10 L30,-20 L10,-20 M40,70 L40,80",
    107: "M10,70 L10,0 M10,20 L40,50 M20,30 L50,0",
    108: "M20,70 L30,70 L30,10 L40,0",
    109: "M10,0 L10,50 L40,50 L50,40 L50,0 M30,50 L30,0",
    110: "M10,0 L10,50 L40,50 L50,40 L50,0",
    111: SMALL_O,
    112: SMALL_P,
    113: "M50,-20 L50,50 L20,50 L10,40 L10,10 L20,0 L50,0",
    114: "M10,0 L10,50 M10,40 L20,50 L40,50 L50,40",
    115: "M50,40 L40,50 L20,50 L10,40 L20,30 L40,30 L50,20 L50,10 L40,0 L20,0 L10,10",
    116: "M20,70 L20,10 L30,0 L50,0 M10,50 L40,50",
    117: "M10,50 L10,10 L20,0 L40,0 L50,10 M50,50 L50,0",
    118: "M10,50 L30,0 L50,50",
    119: "M10,50 L20,0 L30,30 L40,0 L50,50",
    120: SMALL_X,
    121: SMALL_Y,
    122: "M10,50 L50,50 L10,0 L50,0",
    124: "M30,70 L30,-10",

    # Cyrillic capitals
    128: CAP_A,
    129: "M50,70 L10,70 L10,0 L40,0 L50,10 L50,30 L40,40 L10,40",
    130: CAP_B,
    131: "M50,70 L10,70 L10,0",
    132: "M10,-10 L10,0 L50,0 L50,-10 M50,0 L50,70 L20,70 L20,0",
    133: CAP_E,
    134: "M10,0 L23,50 M37,50 L50,0 M10,70 L30,40 L50,70 M30,70 L30,0",
    135: "M10,60 L20,70 L40,70 L50,60 L50,50 L40,40 L20,40 M40,40 L50,30 L50,10 L40,0 L20,0"
         " L10,10",
    136: "M10,70 L10,0 L50,70 L50,0",
    137: "M10,70 L10,0 L50,70 L50,0 M20,80 L40,80",
    138: CAP_K,
    139: "M10,0 L20,10 L20,70 L50,70 L50,0",
    140: CAP_M,
    141: CAP_H,
    142: CAP_O,
    143: "M10,0 L10,70 L50,70 L50,0",
    144: CAP_P,
    145: CAP_C,
    146: CAP_T,
    147: "M10,70 L30,20 M50,70 L30,20 L20,0 L10,0",
    148: "M30,70 L30,0 M20,60 L10,50 L10,30 L20,20 L40,20 L50,30 L50,50 L40,60 L20,60",
    149: CAP_X,
    150: "M10,70 L10,0 L60,0 L60,-10 M50,70 L50,0",
    151: "M10,70 L10,40 L20,30 L50,30 M50,70 L50,0",
    152: "M10,70 L10,0 L50,0 L50,70 M30,70 L30,0",
    153: "M10,70 L10,0 L60,0 L60,-10 M30,70 L30,0 M50,70 L50,0",
    154: "M10,70 L20,70 L20,0 L40,0 L50,10 L50,30 L40,40 L20,40",
    155: "M10,70 L10,0 L20,0 L30,10 L30,30 L20,40 L10,40 M50,70 L50,0",
    156: "M10,70 L10,0 L40,0 L50,10 L50,30 L40,40 L10,40",
    157: "M10,60 L20,70 L40,70 L50,60 L50,10 L40,0 L20,0 L10,10 M20,40 L50,40",
    158: "M10,70 L10,0 M10,40 L30,40 M30,10 L30,60 L40,70 L50,70 L60,60 L60,10 L50,0 L40,0"
         " L30,10",
    159: "M50,0 L50,70 L20,70 L10,60 L10,50 L20,40 L50,40 M30,40 L10,0",

    # Cyrillic small letters, first half
    160: SMALL_A,
    161: "M50,70 L20,70 L10,60 L10,10 L20,0 L40,0 L50,10 L50,40 L40,50 L10,50",
    162: "M10,0 L10,50 L40,50 L50,40 L40,30 L10,30 M40,30 L50,20 L50,10 L40,0 L10,0",
    163: "M50,50 L10,50 L10,0",
    164: "M10,-10 L10,0 L50,0 L50,-10 M50,0 L50,50 L20,50 L20,0",
    165: SMALL_E,
    166: "M10,0 L23,33 M37,33 L50,0 M10,50 L30,25 L50,50 M30,50 L30,0",
    167: "M10,40 L20,50 L40,50 L50,40 L40,30 L30,30 M40,30 L50,20 L50,10 L40,0 L20,0 L10,10",
    168: "M10,50 L10,0 L50,50 L50,0",
    169: "M10,50 L10,0 L50,50 L50,0 M20,70 L40,70",
    170: "M10,50 L10,0 M10,20 L40,50 M20,30 L50,0",
    171: "M10,0 L20,10 L20,50 L50,50 L50,0",
    172: "M10,0 L10,50 L30,20 L50,50 L50,0",
    173: "M10,50 L10,0 M50,50 L50,0 M10,30 L50,30",
    174: SMALL_O,
    175: "M10,0 L10,50 L50,50 L50,0",

    # Cyrillic small letters, second half
    224: SMALL_P,
    225: SMALL_C,
    226: "M10,50 L50,50 M30,50 L30,0",
    227: SMALL_Y,
    228: "M30,70 L30,-20 M20,50 L10,40 L10,10 L20,0 L40,0 L50,10 L50,40 L40,50 L20,50",
    229: SMALL_X,
    230: "M10,50 L10,0 L60,0 L60,-10 M50,50 L50,0",
    231: "M10,50 L10,30 L20,20 L50,20 M50,50 L50,0",
    232: "M10,50 L10,0 L50,0 L50,50 M30,50 L30,0",
    233: "M10,50 L10,0 L60,0 L60,-10 M30,50 L30,0 M50,50 L50,0",
    234: "M10,50 L20,50 L20,0 L40,0 L50,10 L50,20 L40,30 L20,30",
    235: "M10,50 L10,0 L20,0 L30,10 L30,20 L20,30 L10,30 M50,50 L50,0",
    236: "M10,50 L10,0 L40,0 L50,10 L50,20 L40,30 L10,30",
    237: "M10,40 L20,50 L40,50 L50,40 L50,10 L40,0 L20,0 L10,10 M20,30 L50,30",
    238: "M10,50 L10,0 M10,30 L30,30 M30,10 L30,40 L40,50 L50,50 L60,40 L60,10 L50,0 L40,0"
         " L30,10",
    239: "M50,0 L50,50 L20,50 L10,40 L10,30 L20,20 L50,20 M30,20 L10,0",
    240: CAP_E + " " + DOTS_CAP,
    241: SMALL_E + " " + DOTS_SMALL,
}

COVERED = set(range(32, 123)) | {124} | set(range(128, 176)) | set(range(224, 242))
STORE_LIMIT = 7001

# Glyphs whose strokes are fixed by the program's documented behaviour.
FIXED = {
    32: [],
    38: [(1, 2, 0), (0, 30, -70), (0, 70, 70)],
    45: [(1, 10, 40), (0, 50, 40)],
    46: [(1, 30, 0), (0, 30, 10), (0, 40, 10), (0, 40, 0), (0, 30, 0)],
    48: [(1, 10, 10), (0, 10, 60), (0, 20, 70), (0, 40, 70), (0, 50, 60), (0, 50, 10),
         (0, 40, 0), (0, 20, 0), (0, 10, 10)],
    65: [(1, 10, 0), (0, 40, 70), (0, 50, 0), (1, 20, 20), (0, 50, 20)],
    94: [(1, 10, 80), (0, 50, 127), (0, 110, 20)],
    95: [(1, 20, 30), (0, 50, 30), (1, 20, 45), (0, 50, 45), (1, 30, 20), (0, 40, 55)],
    128: [(1, 10, 0), (0, 40, 70), (0, 50, 0), (1, 20, 20), (0, 50, 20)],
    137: [(1, 10, 70), (0, 10, 0), (0, 50, 70), (0, 50, 0), (1, 20, 80), (0, 40, 80)],
    166: [(1, 10, 0), (0, 23, 33), (1, 37, 33), (0, 50, 0), (1, 10, 50), (0, 30, 25),
          (0, 50, 50), (1, 30, 50), (0, 30, 0)],
}

TOKEN = re.compile(r"([ML])\s*(-?\d+)\s*,\s*(-?\d+)")


def parse(code, text):
    """Path text to a list of (pen_up, x, y)."""
    strokes = []
    pos = 0
    text = text.strip()
    while pos < len(text):
        m = TOKEN.match(text, pos)
        assert m, f"glyph {code}: cannot read {text[pos:]!r}"
        strokes.append((1 if m.group(1) == "M" else 0, int(m.group(2)), int(m.group(3))))
        pos = m.end()
        while pos < len(text) and text[pos].isspace():
            pos += 1
    if strokes:
        assert strokes[0][0] == 1, f"glyph {code}: the first stroke must be a move"
    return strokes


def encode_stroke(code, pen_up, x, y):
    if pen_up:
        # 256 - x must stay in 128..254; 255 is the end marker.
        assert 2 <= x <= 128, f"glyph {code}: a move cannot go to x = {x}"
        b1 = 256 - x
    else:
        assert 0 <= x <= 127, f"glyph {code}: a line cannot go to x = {x}"
        b1 = x
    # b2 = 255 marks a header, so y = -1 has no code.
    assert -127 <= y <= 128 and y != -1, f"glyph {code}: y = {y} cannot be stored"
    b2 = y if y >= 0 else y + 256
    return b1, b2


def decode_table(data):
    """Reads the table back the way the loader does."""
    glyphs = {}
    current = None
    for i in range(0, len(data), 2):
        b1, b2 = data[i], data[i + 1]
        if b1 == 255:
            assert b2 == 255 and i + 2 == len(data)
            return glyphs
        if b2 == 255:
            current = glyphs.setdefault(b1, [])
            continue
        pen_up = 1 if b1 >= 128 else 0
        x = 256 - b1 if pen_up else b1
        y = b2 - 256 if b2 > 128 else b2
        current.append((pen_up, x, y))
    raise AssertionError("table not closed")


def char_name(code):
    if code == 32:
        return "blank"
    if code == 92:
        return "backslash"
    ch = bytes([code]).decode("cp866")
    return f"'{ch}'"


def build():
    assert set(GLYPHS) == COVERED, "glyph codes differ from the covered set"
    parsed = {code: parse(code, GLYPHS[code]) for code in sorted(GLYPHS)}
    for code, strokes in FIXED.items():
        assert parsed[code] == strokes, f"glyph {code} differs from its fixed strokes"

    data = []
    chunks = []
    for code, strokes in parsed.items():
        pairs = [(code, 255)] + [encode_stroke(code, *s) for s in strokes]
        for b1, b2 in pairs:
            data += [b1, b2]
        chunks.append((code, pairs))
    data += [255, 255]

    assert decode_table(data) == parsed
    stroke_count = sum(len(s) for s in parsed.values())
    assert stroke_count <= STORE_LIMIT
    return parsed, chunks, data, stroke_count


def write_header(path, size):
    text = (
        "// Built-in stroke font, generated by tools/make_glyph_table.py; edit the script.\n"
        "#pragma once\n"
        "#include <array>\n"
        "#include <cstdint>\n"
        "\n"
        "namespace dialogs {\n"
        "\n"
        "// Byte pairs: (code, 255) opens a glyph; then (x, y) per stroke, x stored as\n"
        "// 256 - x for a move (pen up), y as a signed byte; (255, 255) closes the table.\n"
        f"inline constexpr int GlyphTableSize = {size};  // bytes including the closing pair\n"
        "extern const std::array<std::uint8_t, GlyphTableSize> GlyphTable;\n"
        "\n"
        "}  // namespace dialogs\n"
    )
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def write_source(path, chunks):
    out = [
        "// Generated by tools/make_glyph_table.py; edit the script, not this file.",
        '#include "dialogs/glyph_table.h"',
        "",
        "namespace dialogs {",
        "",
        "const std::array<std::uint8_t, GlyphTableSize> GlyphTable = {",
    ]
    per_line = 8
    for code, pairs in chunks:
        out.append(f"    // {code} {char_name(code)}")
        for i in range(0, len(pairs), per_line):
            line = " ".join(f"{b1:3d}, {b2:3d}," for b1, b2 in pairs[i:i + per_line])
            out.append("    " + line)
    out.append("    // end of table")
    out.append("    255, 255,")
    out.append("};")
    out.append("")
    out.append("}  // namespace dialogs")
    out.append("")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out))


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    parsed, chunks, data, stroke_count = build()
    assert len(parsed) == 158
    folder = os.path.join(root, "src", "dialogs")
    write_header(os.path.join(folder, "glyph_table.h"), len(data))
    write_source(os.path.join(folder, "glyph_table.cpp"), chunks)
    print(f"glyphs {len(parsed)}, strokes {stroke_count}, bytes {len(data)}")


if __name__ == "__main__":
    main()
