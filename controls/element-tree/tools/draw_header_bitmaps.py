#!/usr/bin/python3
"""Draws the header control's five bitmaps as 24-bit BMP files:

  ElHeaderAsc.bmp    "ELHEADERASCBMP"    9 x 6, the ascending sort arrow
  ElHeaderDesc.bmp   "ELHEADERDESCBMP"   9 x 6, the descending sort arrow
  ElHeaderLeft.bmp   "ELHEADERLEFTBMP"   5 x 7, an arrow pointing left
  ElHeaderRight.bmp  "ELHEADERRIGHTBMP"  5 x 7, an arrow pointing right
  ElHeaderPoint.bmp  "ELHEADERPOINTBMP"  5 x 5, the lookup button

'#' is the outline, 'o' the lighter inside, '.' the background, which the
control leaves out when it draws a glyph: it takes the colour of the
bottom-left pixel as transparent, so that pixel is always background.
Usage: draw_header_bitmaps.py [FOLDER] (default: ../bitmaps beside this
script). Needs Debian's python3-pil."""
import os
import sys

from PIL import Image

OUTLINE = (96, 96, 96)
INSIDE = (160, 160, 160)
BACKGROUND = (255, 0, 255)
COLOURS = {"#": OUTLINE, "o": INSIDE, ".": BACKGROUND}

ASCENDING = """
....#....
...#o#...
..#ooo#..
.#ooooo#.
#########
.........
"""

DESCENDING = """
#########
.#ooooo#.
..#ooo#..
...#o#...
....#....
.........
"""

LEFT = """
...#.
..##.
.#o#.
#oo#.
.#o#.
..##.
...#.
"""

RIGHT = """
.#...
.##..
.#o#.
.#oo#
.#o#.
.##..
.#...
"""

LOOKUP = """
.###.
#ooo#
#ooo#
.###.
....#
"""

BITMAPS = {
    "ElHeaderAsc.bmp": (ASCENDING, (9, 6)),
    "ElHeaderDesc.bmp": (DESCENDING, (9, 6)),
    "ElHeaderLeft.bmp": (LEFT, (5, 7)),
    "ElHeaderRight.bmp": (RIGHT, (5, 7)),
    "ElHeaderPoint.bmp": (LOOKUP, (5, 5)),
}


def draw(art, size):
    rows = art.strip("\n").split("\n")
    width, height = size
    if len(rows) != height or any(len(row) != width for row in rows):
        raise ValueError("the drawing is not %d x %d" % size)
    if rows[-1][0] != ".":
        raise ValueError("the bottom-left pixel must be background")
    image = Image.new("RGB", size, BACKGROUND)
    for y, row in enumerate(rows):
        for x, pixel in enumerate(row):
            image.putpixel((x, y), COLOURS[pixel])
    return image


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "bitmaps")
    os.makedirs(folder, exist_ok=True)
    for name, (art, size) in BITMAPS.items():
        draw(art, size).save(os.path.join(folder, name), "BMP")
