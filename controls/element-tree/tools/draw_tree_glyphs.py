#!/usr/bin/python3
"""Draws the tree's three built-in buttons as 10 x 10, 24-bit BMP files:

  ElTreePlus.bmp   "PLUSBMP"   a collapsed item's button
  ElTreeMinus.bmp  "MINUSBMP"  an expanded item's button
  ElTreeLeaf.bmp   "LEAFBMP"   the button of an item without children

Only three colours are used, which the tree's start-up replaces by system
colours: '#' pure black (window text), 'o' 0x808080 (button shadow) and '.'
pure white (window). The tree takes the pixel at (1, 8) as the transparent
colour, so that pixel is always white.
Usage: draw_tree_glyphs.py [FOLDER] (default: ../bitmaps beside this
script)."""
import os
import struct
import sys

COLOURS = {"#": (0, 0, 0), "o": (128, 128, 128), ".": (255, 255, 255)}

PLUS = """
..........
ooooooooo.
o.......o.
o...#...o.
o...#...o.
o.#####.o.
o...#...o.
o...#...o.
o.......o.
ooooooooo.
"""

MINUS = """
..........
ooooooooo.
o.......o.
o.......o.
o.......o.
o.#####.o.
o.......o.
o.......o.
o.......o.
ooooooooo.
"""

LEAF = """
..........
..........
..........
..........
...ooo....
...o#o....
...ooo....
..........
..........
..........
"""


def draw(picture, path):
    rows = picture.strip("\n").split("\n")
    assert len(rows) == 10 and all(len(r) == 10 for r in rows), path
    assert rows[8][1] == ".", path
    # A bottom-up 24-bit BMP: blue, green, red per pixel, rows padded to 4
    # bytes.
    stride = (10 * 3 + 3) & ~3
    pixels = b""
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) for r, g, b in (COLOURS[c] for c in row))
        pixels += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, 10, 10, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "bitmaps")
    for name, picture in (("ElTreePlus", PLUS), ("ElTreeMinus", MINUS), ("ElTreeLeaf", LEAF)):
        draw(picture, os.path.join(folder, name + ".bmp"))


if __name__ == "__main__":
    main()
