#!/usr/bin/env python3
"""Writes the benchmark's large PNG files with ImageMagick.

Usage: make_images.py OUTDIR [SIZE]

One deterministic picture (a seeded plasma, blurred, with some noise and a
few flat shapes, like the skins the codec loads) is written in each main
colour type, plain and Adam7-interlaced, with ImageMagick's own filter
choice and compression. Ancillary chunks are left out so that both decoders
produce the file's samples unchanged. Each file's header is checked, and
OUTDIR/images.txt lists the files.
"""
import os
import struct
import subprocess
import sys
import zlib

# name: (colour type, bit depth, ImageMagick options)
VARIANTS = {
    "gray8": (0, 8, ["-colorspace", "Gray", "-alpha", "off", "-depth", "8"]),
    "grayalpha8": (4, 8, ["-colorspace", "Gray", "-depth", "8"]),
    "rgb8": (2, 8, ["-alpha", "off", "-depth", "8"]),
    "rgba8": (6, 8, ["-depth", "8"]),
    "palette8": (3, 8, ["-alpha", "off", "-dither", "None", "-colors", "256", "-depth", "8"]),
    "rgb16": (2, 16, ["-alpha", "off", "-depth", "16"]),
    "rgba16": (6, 16, ["-depth", "16"]),
}

SHAPES = [
    "rectangle 100,100 700,400", "circle 1400,600 1400,900",
    "roundrectangle 300,1300 1100,1800 60,60", "rectangle 1500,1500 1950,1950",
]


def make_base(path, size):
    """The picture with its alpha channel, 16 bits per sample."""
    draw = []
    for i, shape in enumerate(SHAPES):
        draw += ["-fill", ["#2060c0", "#f0e0a0", "#c03030", "#ffffff"][i], "-draw", shape]
    subprocess.run(
        ["convert", "-seed", "11", "-size", f"{size}x{size}", "plasma:fractal",
         "-blur", "0x1.5", "-attenuate", "0.3", "+noise", "Gaussian", *draw,
         "(", "-size", f"{size}x{size}", "radial-gradient:white-gray10", ")",
         "-alpha", "off", "-compose", "CopyOpacity", "-composite",
         "-depth", "16", path], check=True)


def header_of(path):
    """IHDR fields and the names of every chunk of a PNG file."""
    data = open(path, "rb").read()
    names, pos = [], 8
    while pos + 8 <= len(data):
        length, name = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(name + body) & 0xFFFFFFFF != crc:
            raise SystemExit(f"{path}: bad CRC in {name}")
        names.append(name.decode("ascii"))
        pos += 12 + length
    width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", data[16:29])
    return width, height, depth, ctype, interlace, names


def main():
    out = sys.argv[1]
    size = int(sys.argv[2]) if len(sys.argv) > 2 else 2048
    os.makedirs(out, exist_ok=True)
    base = os.path.join(out, "base.miff")
    make_base(base, size)
    listed = []
    for name, (ctype, depth, options) in VARIANTS.items():
        for interlace in (0, 1):
            file = f"{name}{'_adam7' if interlace else ''}.png"
            path = os.path.join(out, file)
            subprocess.run(
                ["convert", base, *options, "-interlace", "PNG" if interlace else "None",
                 "-define", "png:exclude-chunk=all",
                 "-define", f"png:color-type={ctype}", "-define", f"png:bit-depth={depth}",
                 path], check=True)
            got = header_of(path)
            if got[:5] != (size, size, depth, ctype, interlace):
                raise SystemExit(f"{file}: header {got[:5]}, wanted "
                                 f"{(size, size, depth, ctype, interlace)}")
            extra = [n for n in got[5] if n not in ("IHDR", "PLTE", "tRNS", "IDAT", "IEND")]
            if extra:
                raise SystemExit(f"{file}: unexpected chunks {extra}")
            listed.append(file)
    os.remove(base)
    with open(os.path.join(out, "images.txt"), "w") as f:
        f.write("".join(line + "\n" for line in listed))


if __name__ == "__main__":
    main()
