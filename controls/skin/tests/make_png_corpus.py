#!/usr/bin/env python3
"""Writes the PNG test corpus from known pixel arrays.

Usage: make_png_corpus.py OUTDIR

Every file is written here, chunk by chunk, so that the corpus can hold what
ordinary encoders never write: each filter type on purpose, image data split
into chunks of any size, empty image-data chunks, damaged files. OUTDIR gets
the files and a manifest, one line per file:

    NAME ok                 decodes; compare with libpng's pixels of NAME
    NAME ok REF             decodes; compare with libpng's pixels of REF
                            (libpng refuses NAME itself, or decodes it
                            differently on purpose)
    NAME EXCEPTIONCLASS     loading raises this exception class
"""
import os
import random
import struct
import sys
import zlib

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
ADAM7 = [(0, 0, 8, 8), (0, 4, 8, 8), (4, 0, 8, 4), (0, 2, 4, 4),
         (2, 0, 4, 2), (0, 1, 2, 2), (1, 0, 2, 1)]
SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunk(name, data, crc=None):
    if crc is None:
        crc = zlib.crc32(name + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + name + data + struct.pack(">I", crc)


def ihdr(width, height, depth, color_type, interlace=0, compression=0, filt=0):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, color_type,
                                      compression, filt, interlace))


def pack_row(pixels, depth):
    samples = [s for p in pixels for s in p]
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    out = bytearray()
    acc, bits = 0, 0
    for s in samples:
        acc = (acc << depth) | s
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_row(ftype, row, prev, bpp):
    out = bytearray(len(row))
    for i, x in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        pred = {0: 0, 1: a, 2: b, 3: (a + b) // 2, 4: paeth(a, b, c)}.get(ftype, 0)
        out[i] = (x - pred) & 0xFF
    return bytes([ftype]) + bytes(out)


def filtered_stream(image, filters):
    """The filtered rows of the image (all passes when interlaced).

    filters(row_number) gives the filter type of each written row."""
    ct, depth = image["ct"], image["depth"]
    bpp = max(1, CHANNELS[ct] * depth // 8)
    rows = image["pixels"]
    width, height = image["width"], image["height"]
    if image["interlace"]:
        subimages = []
        for ys, xs, dy, dx in ADAM7:
            sub = [r[xs::dx] for r in rows[ys::dy]]
            if sub and sub[0]:
                subimages.append(sub)
    else:
        subimages = [rows]
    out = bytearray()
    n = 0
    for sub in subimages:
        prev = bytes(len(pack_row(sub[0], depth)))
        for r in sub:
            raw = pack_row(r, depth)
            out += filter_row(filters(n), raw, prev, bpp)
            prev = raw
            n += 1
    return bytes(out)


def make_image(ct, depth, width, height, interlace=0, seed=1, pattern="noise", palette_size=None):
    rnd = random.Random(seed * 7919 + ct * 31 + depth)
    maxv = (1 << depth) - 1
    if ct == 3 and palette_size is None:
        palette_size = 1 << depth
    pixels = []
    for y in range(height):
        row = []
        for x in range(width):
            if ct == 3:
                top = palette_size - 1
                v = rnd.randint(0, top) if pattern == "noise" else (x + y) % palette_size
                row.append((v,))
            else:
                if pattern == "noise":
                    row.append(tuple(rnd.randint(0, maxv) for _ in range(CHANNELS[ct])))
                else:
                    row.append(tuple(((x * 37 + y * 11 + c * 50) * (maxv // 255 or 1)) & maxv
                                     for c in range(CHANNELS[ct])))
        pixels.append(row)
    image = {"ct": ct, "depth": depth, "width": width, "height": height,
             "interlace": interlace, "pixels": pixels}
    if ct == 3:
        image["palette"] = bytes(rnd.randint(0, 255) for _ in range(3 * palette_size))
    return image


def idat_chunks(data, split=None):
    """IDAT chunks of the compressed data; split is a list of part sizes
    (0 makes an empty chunk), repeated over the data; None gives one chunk."""
    if split is None:
        return chunk(b"IDAT", data)
    out = bytearray()
    pos, k = 0, 0
    while pos < len(data):
        size = split[k % len(split)]
        out += chunk(b"IDAT", data[pos:pos + size])
        pos += size
        k += 1
    return bytes(out)


def encode(image, filters=lambda n: n % 5, before=b"", between=b"", after=b"",
           split=None, level=6, data=None):
    """The whole file. before: chunks after IHDR (and PLTE); between: after
    the IDAT run; after: before IEND."""
    if data is None:
        data = zlib.compress(filtered_stream(image, filters), level)
    out = SIGNATURE + ihdr(image["width"], image["height"], image["depth"], image["ct"],
                           image["interlace"])
    if "palette" in image:
        out += chunk(b"PLTE", image["palette"])
    out += before + idat_chunks(data, split) + between + after + chunk(b"IEND", b"")
    return out


class Corpus:
    def __init__(self, outdir):
        self.outdir = outdir
        self.lines = []

    def add(self, name, data, outcome="ok", ref=None):
        with open(os.path.join(self.outdir, name), "wb") as f:
            f.write(data)
        self.lines.append(" ".join(x for x in (name, outcome, ref) if x))

    def finish(self):
        with open(os.path.join(self.outdir, "manifest.txt"), "w") as f:
            f.write("\n".join(self.lines) + "\n")


FORMATS = [(0, 1), (0, 2), (0, 4), (0, 8), (0, 16), (2, 8), (2, 16), (3, 1), (3, 2), (3, 4),
           (3, 8), (4, 8), (4, 16), (6, 8), (6, 16)]


def formats(c):
    """Every colour type and depth, interlaced and not, every filter type on
    rows in turn, and each filter type alone on one format."""
    for ct, depth in FORMATS:
        for interlace in (0, 1):
            for (w, h) in ((13, 11), (1, 1), (3, 2), (33, 17)):
                img = make_image(ct, depth, w, h, interlace, seed=w * h)
                c.add("fmt_c%d_d%d_i%d_%dx%d.png" % (ct, depth, interlace, w, h), encode(img))
    for ftype in range(5):
        for ct, depth in ((2, 8), (6, 16), (0, 1), (3, 4)):
            for pattern in ("noise", "smooth"):
                img = make_image(ct, depth, 21, 9, 0, seed=ftype, pattern=pattern)
                c.add("filter%d_c%d_d%d_%s.png" % (ftype, ct, depth, pattern),
                      encode(img, filters=lambda n, t=ftype: t))
    # A palette smaller than the depth allows.
    img = make_image(3, 8, 17, 5, 0, palette_size=7)
    c.add("palette_7_entries.png", encode(img))


def splits(c):
    """Image data split in odd ways; all decode as the one-chunk file."""
    img = make_image(6, 8, 29, 13, 1, seed=5)
    c.add("split_base.png", encode(img))
    c.add("split_1byte.png", encode(img, split=[1]))
    c.add("split_odd.png", encode(img, split=[7, 3, 1, 11]))
    c.add("split_empty_chunks.png", encode(img, split=[0, 5, 0, 0, 17]))
    # Larger than one input block, uncompressed so that the chunk is huge and
    # the rows end before the chunk does.
    big = make_image(2, 8, 300, 260, 0, seed=9)
    c.add("idat_large_single.png", encode(big, level=0))
    c.add("idat_large_split.png", encode(big, level=0, split=[70000, 65535, 65536, 1]))
    # Image data whose stream ends after half the rows: those rows load, the
    # rest stay zero (black), as in the reference with its lower half black.
    half = make_image(2, 8, 23, 10, 0, seed=14)
    rows = filtered_stream(half, lambda n: n % 5)
    c.add("idat_ends_early.png", encode(half, data=zlib.compress(rows[:5 * (23 * 3 + 1)])), "ok",
          "idat_ends_early_ref.png")
    for row in half["pixels"][5:]:
        row[:] = [(0, 0, 0)] * len(row)
    c.add("idat_ends_early_ref.png", encode(half))
    # The stream's checksum alone in a last IDAT chunk.
    data = zlib.compress(filtered_stream(img, lambda n: n % 5))
    c.add("split_checksum_alone.png", encode(img, data=data, split=[len(data) - 4, 4]))


def ancillary(c):
    rgb = make_image(2, 8, 19, 7, 0, seed=3)
    pal = make_image(3, 4, 19, 7, 0, seed=4)
    gray16 = make_image(0, 16, 19, 7, 0, seed=6)
    c.add("gama_rgb_100000.png", encode(rgb, before=chunk(b"gAMA", struct.pack(">I", 100000))))
    c.add("gama_rgb_45455.png", encode(rgb, before=chunk(b"gAMA", struct.pack(">I", 45455))))
    # gAMA before PLTE: the palette is read through the gamma table.
    c.add("gama_palette_100000.png",
          SIGNATURE + ihdr(19, 7, 4, 3) + chunk(b"gAMA", struct.pack(">I", 100000)) +
          chunk(b"PLTE", pal["palette"]) +
          chunk(b"IDAT", zlib.compress(filtered_stream(pal, lambda n: n % 5))) +
          chunk(b"IEND", b""))
    c.add("gama_gray16_ignored.png",
          encode(gray16, before=chunk(b"gAMA", struct.pack(">I", 100000))),
          "ok", "gray16_plain.png")
    c.add("gray16_plain.png", encode(gray16))
    c.add("time.png", encode(rgb, after=chunk(b"tIME", struct.pack(">HBBBBB", 2024, 2, 29, 23, 59, 58))))
    c.add("text.png", encode(rgb, before=chunk(b"tEXt", b"Title\x00A small picture")))
    c.add("text_no_separator.png", encode(rgb, before=chunk(b"tEXt", b"JustAKeyword")))
    ztxt = b"Comment\x00\x00" + zlib.compress(b"compressed comment text " * 20)
    c.add("ztxt.png", encode(rgb, before=chunk(b"zTXt", ztxt)))
    c.add("ztxt_damaged.png", encode(rgb, before=chunk(b"zTXt", b"Comment\x00\x00garbage!!")))
    # Two kilobytes that inflate to 2 MiB, past the text limit.
    c.add("ztxt_bomb.png", encode(rgb, before=chunk(b"zTXt", b"Comment\x00\x00" +
                                                    zlib.compress(bytes(2 << 20), 9))))
    c.add("itxt.png", encode(rgb, before=chunk(b"iTXt", b"Title\x00\x00\x00en\x00\x00Hello")))
    c.add("chrm.png", encode(rgb, before=chunk(b"cHRM", struct.pack(">8I", 31270, 32900, 64000,
                                                                    33000, 30000, 60000, 15000, 6000))))
    c.add("unknown_ancillary.png", encode(rgb, after=chunk(b"abCD", b"private data")))
    # A second run of image data after a text chunk is skipped; libpng
    # refuses the file, so the pixels are compared with the plain file.
    c.add("plain_rgb.png", encode(rgb))
    second = chunk(b"tEXt", b"k\x00v") + chunk(b"IDAT", zlib.compress(b"\x00" * 10))
    c.add("second_idat_run.png", encode(rgb, between=second), "ok", "plain_rgb.png")
    # A row with filter type 7 is taken as unfiltered (libpng refuses it).
    img = make_image(2, 8, 6, 4, 0, seed=8)
    c.add("filter7.png", encode(img, filters=lambda n: 7 if n == 2 else 0), "ok",
          "filter7_as_none.png")
    c.add("filter7_as_none.png", encode(img, filters=lambda n: 0))


def transparency(c):
    gray = make_image(0, 8, 16, 8, 0, pattern="smooth")
    key = gray["pixels"][3][5][0]
    c.add("trns_gray8.png", encode(gray, before=chunk(b"tRNS", struct.pack(">H", key))))
    gray2 = make_image(0, 2, 16, 8, 1, seed=2)
    c.add("trns_gray2.png", encode(gray2, before=chunk(b"tRNS", struct.pack(">H", 2))))
    rgb = make_image(2, 8, 16, 8, 0, seed=11)
    k = rgb["pixels"][2][2]
    rgb["pixels"][5][7] = k
    c.add("trns_rgb8.png", encode(rgb, before=chunk(b"tRNS", struct.pack(">HHH", *k))))
    # 16-bit RGB: pixels equal to the key in the kept high byte are equal to
    # it in full, so libpng's full comparison agrees with the displayed one.
    rgb16 = make_image(2, 16, 9, 6, 0, seed=12)
    key16 = (0x1234, 0x5678, 0x9ABC)
    for y, row in enumerate(rgb16["pixels"]):
        for x, p in enumerate(row):
            if (p[0] >> 8) == 0x12:
                row[x] = (0x1300, p[1], p[2])
    rgb16["pixels"][1][1] = key16
    c.add("trns_rgb16.png", encode(rgb16, before=chunk(b"tRNS", struct.pack(">HHH", *key16))))
    pal = make_image(3, 8, 16, 8, 0, seed=13, palette_size=16)
    c.add("trns_palette_one_zero.png", encode(pal, before=chunk(b"tRNS", b"\xff\xff\x00")))
    c.add("trns_palette_partial.png", encode(pal, before=chunk(b"tRNS", b"\x10\x80\xff\xc0")))
    c.add("trns_palette_one_half.png", encode(pal, before=chunk(b"tRNS", b"\x80")))
    # Ancillary chunks that cannot mean anything are dropped: a gAMA of the
    # wrong size or of 0, a tRNS shorter than its sample or empty.
    c.add("gama_3_bytes.png", encode(rgb, before=chunk(b"gAMA", b"\x00\x01\x86")), "ok",
          "trns_rgb8_plain.png")
    c.add("gama_empty.png", encode(rgb, before=chunk(b"gAMA", b"")), "ok", "trns_rgb8_plain.png")
    c.add("gama_zero.png", encode(rgb, before=chunk(b"gAMA", bytes(4))), "ok",
          "trns_rgb8_plain.png")
    c.add("trns_rgb8_plain.png", encode(rgb))
    c.add("trns_rgb_short.png", encode(rgb, before=chunk(b"tRNS", b"\x00\x05\x00\x06")), "ok",
          "trns_rgb8_plain.png")
    c.add("trns_gray_short.png", encode(gray, before=chunk(b"tRNS", b"\x05")), "ok",
          "trns_gray8_plain.png")
    c.add("trns_gray8_plain.png", encode(gray))
    c.add("trns_palette_empty.png", encode(pal, before=chunk(b"tRNS", b"")), "ok",
          "trns_palette_plain.png")
    c.add("trns_palette_plain.png", encode(pal))
    # A gray tRNS longer than a sample is clipped to the sample.
    c.add("trns_gray8_long.png", encode(gray, before=chunk(b"tRNS", struct.pack(">HH", key, 0))),
          "ok", "trns_gray8.png")


def damaged(c):
    rgb = make_image(2, 8, 8, 4, 0, seed=21)
    good = encode(rgb)
    idat = zlib.compress(filtered_stream(rgb, lambda n: 0))
    head = SIGNATURE + ihdr(8, 4, 8, 2)
    c.add("bad_signature.png", b"\x89PNG\r\n\x1b\n" + good[8:], "EPNGInvalidFileHeader")
    c.add("truncated_after_ihdr.png", head, "EPngUnexpectedEnd")
    c.add("truncated_in_length.png", head + b"\x00\x00", "EPngUnexpectedEnd")
    c.add("truncated_in_name.png", head + b"\x00\x00\x00\x05ID", "EPngUnexpectedEnd")
    c.add("truncated_in_data.png", good[:-30], "EPngUnexpectedEnd")
    c.add("length_beyond_file.png", head + struct.pack(">I", 0x7FFFFFF0) + b"IDAT" + idat,
          "EPngUnexpectedEnd")
    c.add("length_above_2gb.png", head + struct.pack(">I", 0xFFFFFFF0) + b"IDAT" + idat,
          "EPngUnexpectedEnd")
    c.add("gama_first.png", SIGNATURE + chunk(b"gAMA", struct.pack(">I", 45455)) + good[8:],
          "EPNGIHDRNotFirst")
    c.add("unknown_critical.png", encode(rgb, before=chunk(b"ABCD", b"xyz")),
          "EPNGUnknownCriticalChunk")
    c.add("no_idat.png", head + chunk(b"IEND", b""), "EPNGNoImageData")
    c.add("bad_crc_ihdr.png", SIGNATURE + chunk(b"IHDR", good[16:29], crc=0x12345678) + good[33:],
          "EPngInvalidCRC")
    c.add("bad_crc_idat.png", head + chunk(b"IDAT", idat, crc=1) + chunk(b"IEND", b""),
          "EPngInvalidCRC")
    c.add("bad_crc_idat_split.png",
          head + chunk(b"IDAT", idat[:5], crc=7) + chunk(b"IDAT", idat[5:]) + chunk(b"IEND", b""),
          "EPngInvalidCRC")
    c.add("ihdr_short.png", SIGNATURE + chunk(b"IHDR", good[16:28]) + good[33:], "EPngInvalidIHDR")
    c.add("ihdr_zero_width.png", SIGNATURE + ihdr(0, 4, 8, 2) + good[33:], "EPngInvalidIHDR")
    c.add("ihdr_zero_height.png", SIGNATURE + ihdr(8, 0, 8, 2) + good[33:], "EPngInvalidIHDR")
    c.add("ihdr_width_65536.png", SIGNATURE + ihdr(65536, 4, 8, 2) + good[33:], "EPNGSizeExceeds")
    c.add("ihdr_compression_1.png", SIGNATURE + ihdr(8, 4, 8, 2, compression=1) + good[33:],
          "EPNGUnknownCompression")
    c.add("ihdr_interlace_2.png", SIGNATURE + ihdr(8, 4, 8, 2, interlace=2) + good[33:],
          "EPNGUnknownInterlace")
    # Memory only for what the file can prove: a header alone allocates
    # nothing; image data too short for the header's image (deflate gives at
    # most 1032 bytes per byte) is refused before the pixels are allocated;
    # an image the file could hold but larger than the pixel memory limit
    # (256 MiB) is refused too.
    c.add("ihdr_huge.png", SIGNATURE + ihdr(65535, 65535, 8, 6) + good[33:], "EPngUnexpectedEnd")
    c.add("header_only_large.png", SIGNATURE + ihdr(16000, 16000, 8, 2) + chunk(b"IEND", b""),
          "EPNGNoImageData")
    c.add("image_over_memory_limit.png", SIGNATURE + ihdr(16384, 16384, 8, 2) +
          chunk(b"IDAT", idat) + chunk(b"juNK", bytes(790000)) + chunk(b"IEND", b""),
          "EPNGOutMemory")
    pal = make_image(3, 8, 8, 4, 0)
    pal_head = SIGNATURE + ihdr(8, 4, 8, 3)
    pal_idat = chunk(b"IDAT", zlib.compress(filtered_stream(pal, lambda n: 0))) + chunk(b"IEND", b"")
    c.add("plte_769.png", pal_head + chunk(b"PLTE", bytes(769)) + pal_idat, "EPNGInvalidPalette")
    c.add("plte_771.png", pal_head + chunk(b"PLTE", bytes(771)) + pal_idat, "EPNGInvalidPalette")
    c.add("plte_768.png", pal_head + chunk(b"PLTE", bytes(range(256)) * 3) + pal_idat)
    c.add("trns_257.png", pal_head + chunk(b"PLTE", pal["palette"]) + chunk(b"tRNS", bytes(257)) +
          pal_idat, "EPNGInvalidPalette")
    c.add("ihdr_twice.png", SIGNATURE + ihdr(8, 4, 8, 2) + ihdr(8, 4, 8, 2) + good[33:],
          "EPngInvalidIHDR")
    c.add("idat_missing_part.png", head + chunk(b"IDAT", idat[:len(idat) // 2]) +
          chunk(b"IEND", b""), "EPNGMissingMultipleIDAT")
    c.add("zlib_bad_header.png", head + chunk(b"IDAT", b"\x78\x9c\xff\xff\xff" + idat[5:]) +
          chunk(b"IEND", b""), "EPNGZLIBError")
    c.add("zlib_bad_method.png", head + chunk(b"IDAT", b"\x00" + idat[1:]) + chunk(b"IEND", b""),
          "EPNGZLIBError")
    c.add("unsupported_rgb_depth4.png", SIGNATURE + ihdr(8, 4, 4, 2) + chunk(b"IDAT", idat) +
          chunk(b"IEND", b""), "EPngError")
    c.add("unsupported_color_type_1.png", SIGNATURE + ihdr(8, 4, 8, 1) + chunk(b"IDAT", idat) +
          chunk(b"IEND", b""), "EPngError")
    c.add("no_iend.png", good[:-12], "EPngUnexpectedEnd")


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    c = Corpus(outdir)
    formats(c)
    splits(c)
    ancillary(c)
    transparency(c)
    damaged(c)
    c.finish()


if __name__ == "__main__":
    main()
