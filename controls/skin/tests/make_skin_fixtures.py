#!/usr/bin/env python3
"""Writes the skin kit's test resources: small bitmaps, PNG and JPEG raw
data under known names, and the resource script that names them.

Usage: make_skin_fixtures.py OUTPUT_DIR CONVERT
(CONVERT is ImageMagick's convert, which writes the JPEG.)
"""
import os
import struct
import subprocess
import sys
import zlib


def bmp24(width, height, color):
    """A 24-bit BMP file of one colour (r, g, b)."""
    stride = (width * 3 + 3) & ~3
    row = bytes((color[2], color[1], color[0])) * width + b"\0" * (stride - width * 3)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def png_rgba(width, height, rgba):
    """An 8-bit RGBA PNG file of one colour."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(rgba) * width for _ in range(height))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw))
            + chunk(b"IEND", b""))


# Bitmap resources: name -> (width, height, colour). The sizes tell the
# pictures apart in the tests.
BITMAPS = {
    "SKINTEST": (20, 10, (10, 20, 30)),
    "SKINTEST_UP": (21, 10, (40, 50, 60)),
    "SKINTEST_DOWN": (22, 10, (70, 80, 90)),
    # A sizable button whose state pictures exist only under the spelling
    # without the second underscore.
    "SIZTEST_LEFT": (5, 12, (1, 2, 3)),
    "SIZTEST_TILE": (3, 12, (4, 5, 6)),
    "SIZTEST_RIGHT": (6, 12, (7, 8, 9)),
    "SIZTEST_LEFTUP": (7, 12, (11, 12, 13)),
    "SIZTEST_TILEUP": (2, 12, (14, 15, 16)),
    "SIZTEST_RIGHTUP": (8, 12, (17, 18, 19)),
    "SIZTEST_LEFT_DOWN": (9, 12, (21, 22, 23)),
    "SIZTEST_TILE_DOWN": (4, 12, (24, 25, 26)),
    "SIZTEST_RIGHT_DOWN": (10, 12, (27, 28, 29)),
}


def main():
    out, convert = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    lines = []
    for name, (w, h, c) in BITMAPS.items():
        path = os.path.join(out, name.lower() + ".bmp")
        with open(path, "wb") as f:
            f.write(bmp24(w, h, c))
        lines.append(f'{name} BITMAP "{path}"')
    png = os.path.join(out, "pngonly.png")
    with open(png, "wb") as f:
        f.write(png_rgba(13, 7, (200, 100, 50, 128)))
    lines.append(f'PNGONLY RCDATA "{png}"')
    # A JPEG under a raw-data name: the PNG loader fails on it, the JPEG
    # loader takes it.
    source = os.path.join(out, "jpegsource.bmp")
    with open(source, "wb") as f:
        f.write(bmp24(17, 9, (0, 128, 255)))
    jpeg = os.path.join(out, "jpegonly.jpg")
    subprocess.run([convert, source, "-quality", "90", jpeg], check=True)
    lines.append(f'JPEGONLY RCDATA "{jpeg}"')
    # Raw data that is neither PNG nor JPEG.
    junk = os.path.join(out, "junk.bin")
    with open(junk, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + b"not really a picture" * 4)
    lines.append(f'JUNKDATA RCDATA "{junk}"')
    with open(os.path.join(out, "skin_fixtures.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
