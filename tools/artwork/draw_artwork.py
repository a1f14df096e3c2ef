#!/usr/bin/python3
"""Draws every picture of the setup wizard's skin, and the kit's two hand
cursors, into the repository:

  wizard/skin/         the frame, buttons, licence box, progress bar and
                       product picture of the wizard's pages, and the folder
                       page's tree: folder icons, scroll bars, buttons, tiles
  controls/skin/cursors/  "RX_HANDCUR" and "RX_DRAGCUR"

One design: a frameless window with rounded corners, a slate-blue frame in
the product's text colour RGB(50, 69, 96) with its link colour
RGB(82, 113, 157) for highlights, and a warm light body in the family of
the licence box's RGB(225, 209, 184). Pixels the window or a control cuts
away are exactly RGB(255, 0, 0), the kit's crop colour.

The frame, its lights and buttons, the progress bar and the folder page's
tree parts and tiles are 24-bit PNG files (smaller than bitmaps, the same
pixels on the screen); the licence box's pictures, which its code uses as
bitmaps, are BMP files; the sizable buttons' parts, the icons and the
tree's folder icons are PNG files with alpha, and the page background tile
is the one JPEG. Run with Debian's python3-pil:
  tools/artwork/draw_artwork.py
"""
import os
import random
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cursors  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
OUT = os.path.join(ROOT, "wizard", "skin")

CROP = (255, 0, 0)
SLATE = (50, 69, 96)          # text and frame
LINK = (82, 113, 157)         # highlights, hover
SLATE_DARK = (33, 46, 66)     # outer edge, pressed
SLATE_LIGHT = (104, 128, 163)
BODY = (246, 239, 227)        # page body
PAPER = (225, 209, 184)       # licence box
WARM_SHADE = (214, 196, 168)
WHITE = (255, 255, 255)
SS = 4                        # supersampling for smooth curves

# Debian's fonts-dejavu-core (scripts/setup.sh installs it).
BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


# --- helpers ----------------------------------------------------------------

def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vgradient(w, h, stops):
    """An RGB image whose rows run through the colour stops [(pos, colour)]."""
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        t = y / max(h - 1, 1)
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                c = mix(c0, c1, (t - p0) / max(p1 - p0, 1e-9))
                break
        for x in range(w):
            px[x, y] = c
    return img


def hgradient(w, h, stops):
    return vgradient(h, w, stops).transpose(Image.Transpose.TRANSPOSE)


def rounded_mask(w, h, radii):
    """A smooth mask of a rectangle whose corners (tl, tr, br, bl) are
    rounded by the radii, at the final size."""
    big = Image.new("L", (w * SS, h * SS), 0)
    d = ImageDraw.Draw(big)
    d.rectangle([0, 0, w * SS - 1, h * SS - 1], fill=255)
    for (cx, cy, r), corner in zip(corner_circles(w, h, radii), range(4)):
        if r == 0:
            continue
        rs = r * SS
        x0 = 0 if corner in (0, 3) else w * SS - rs
        y0 = 0 if corner in (0, 1) else h * SS - rs
        d.rectangle([x0, y0, x0 + rs - 1, y0 + rs - 1], fill=0)
        d.ellipse([cx * SS - rs, cy * SS - rs, cx * SS + rs - 1, cy * SS + rs - 1], fill=255)
    return big.resize((w, h), Image.Resampling.LANCZOS)


def corner_circles(w, h, radii):
    tl, tr, br, bl = radii
    return [(tl, tl, tl), (w - tr, tr, tr), (w - br, h - br, br), (bl, h - bl, bl)]


def crop_cut(img, mask, backdrop):
    """The picture with every pixel outside the mask set to the crop colour;
    edge pixels are blended with the backdrop they will be seen against."""
    out = Image.composite(img, Image.new("RGB", img.size, backdrop), mask)
    px, mp = out.load(), mask.load()
    for y in range(img.height):
        for x in range(img.width):
            if mp[x, y] < 96:
                px[x, y] = CROP
            elif px[x, y] == CROP:
                px[x, y] = (254, 0, 0)
    return out


def save_bmp(img, name):
    img.convert("RGB").save(os.path.join(OUT, name), "BMP")


def save_png(img, name):
    img.save(os.path.join(OUT, name), "PNG", optimize=True)


def save_rgb_png(img, name, crop_transparent=False):
    """A 24-bit picture as PNG, a fifth of its bitmap's size; the same pixels
    on the screen. A picture its control draws with the crop colour
    transparent names that colour as its transparent one (tRNS), since the
    kit draws a PNG picture with its own transparency."""
    extra = {"transparency": CROP} if crop_transparent else {}
    img.convert("RGB").save(os.path.join(OUT, name), "PNG", optimize=True, **extra)


def frame_edge(img, mask, colour, width=1):
    """Draws an outline of the given width just inside the mask's edge."""
    # Padded with nothing around, so that edges on the picture's border are
    # outlined too (the filter repeats the border pixels otherwise).
    padded = Image.new("L", (mask.width + 2 * width, mask.height + 2 * width), 0)
    padded.paste(mask, (width, width))
    inner = padded.filter(ImageFilter.MinFilter(2 * width + 1)).crop(
        (width, width, width + mask.width, width + mask.height))
    ring = Image.composite(mask, Image.new("L", mask.size, 0), Image.eval(inner, lambda v: 255 - v))
    img.paste(Image.new("RGB", img.size, colour), (0, 0), ring)


def text(draw, xy, s, size, fill, anchor="mm"):
    draw.text(xy, s, font=ImageFont.truetype(BOLD, size), fill=fill, anchor=anchor)


# --- the frame --------------------------------------------------------------

TITLE_H, BOTTOM_H, BORDER_W, RADIUS = 38, 50, 26, 12


def title_column(h=TITLE_H):
    """The colours of the title bar's middle, top to bottom: a slate edge, a
    warm light face, and the slate band that joins the side borders."""
    return vgradient(1, h, [(0.0, SLATE_DARK), (0.03, SLATE_LIGHT), (0.08, WHITE),
                            (0.70, BODY), (0.84, WARM_SHADE), (0.86, LINK),
                            (0.90, SLATE), (1.0, SLATE_DARK)])


def title_bar(w):
    return title_column().resize((w, TITLE_H))


def border_column(w=BORDER_W, left=True):
    """A side border across: outer dark line, slate band with a highlight,
    inner link-colour line, a warm shadow into the body."""
    stops = [(0.0, SLATE_DARK), (0.05, SLATE_LIGHT), (0.25, LINK), (0.6, SLATE),
             (0.80, SLATE_DARK), (0.84, LINK), (0.88, WARM_SHADE), (1.0, BODY)]
    g = hgradient(w, 1, stops)
    return g if left else g.transpose(Image.Transpose.FLIP_LEFT_RIGHT)


def draw_frame():
    # Title bar: caps with the window's rounded top corners, and its middle.
    cap_w = 24
    mask = rounded_mask(cap_w * 2, TITLE_H, (RADIUS, RADIUS, 0, 0)).crop((0, 0, cap_w, TITLE_H))
    save_rgb_png(crop_cut(title_bar(cap_w), mask, SLATE_DARK), "top_left.png")
    save_rgb_png(title_bar(8), "top_tile.png")
    mask_r = rounded_mask(cap_w * 2, TITLE_H, (RADIUS, RADIUS, 0, 0)).crop((cap_w, 0, cap_w * 2, TITLE_H))
    save_rgb_png(crop_cut(title_bar(cap_w), mask_r, SLATE_DARK), "top_right.png")

    # The lights: the title bar's ends as slate shoulders with a round lamp.
    for side_name, flip in (("left", False), ("right", True)):
        for state, glow in (("", 0.55), ("_up", 1.0), ("_down", 0.15)):
            save_rgb_png(light(flip, glow), f"{side_name}_light{state}.png", crop_transparent=True)

    # Side borders and the small corner under the title bar's left end.
    save_rgb_png(border_column().resize((BORDER_W, 8)), "left_border_tile.png")
    save_rgb_png(border_column(left=False).resize((BORDER_W, 8)), "right_border_tile.png")
    corner = border_column(27).resize((27, 8))
    # The inner corner is rounded: its cut-away pixels show the body.
    cm = Image.new("L", (27 * SS, 8 * SS), 255)
    d = ImageDraw.Draw(cm)
    d.rectangle([23 * SS, 0, 27 * SS, 8 * SS], fill=0)
    d.ellipse([15 * SS, -8 * SS, 31 * SS, 8 * SS], fill=0)
    d.rectangle([0, 0, 22 * SS, 8 * SS], fill=255)
    save_rgb_png(crop_cut(corner, cm.resize((27, 8), Image.Resampling.LANCZOS), BODY), "left_top_corner.png")

    # Bottom bar: slate with a highlight line, rounded bottom corners.
    col = vgradient(1, BOTTOM_H, [(0.0, BODY), (0.06, WARM_SHADE), (0.08, LINK), (0.12, SLATE_LIGHT),
                                  (0.35, SLATE), (0.92, SLATE_DARK), (1.0, (22, 31, 45))])
    bar = col.resize((8, BOTTOM_H))
    save_rgb_png(bar, "bottom_tile.png")
    mask = rounded_mask(48, BOTTOM_H, (0, 0, RADIUS, RADIUS))
    save_rgb_png(crop_cut(col.resize((24, BOTTOM_H)), mask.crop((0, 0, 24, BOTTOM_H)), SLATE_DARK), "bottom_left.png")
    save_rgb_png(crop_cut(col.resize((24, BOTTOM_H)), mask.crop((24, 0, 48, BOTTOM_H)), SLATE_DARK), "bottom_right.png")


def light(flip, glow):
    w, h = 78, TITLE_H
    img = title_bar(w)
    # The shoulder: the slate band rising from the side border.
    shoulder = Image.new("L", (w * SS, h * SS), 0)
    d = ImageDraw.Draw(shoulder)
    d.rounded_rectangle([-20 * SS, -10 * SS, 52 * SS, int(h * 0.86) * SS], radius=16 * SS, fill=255)
    d.rectangle([0, 0, 26 * SS, h * SS], fill=255)
    shoulder = shoulder.resize((w, h), Image.Resampling.LANCZOS)
    band = vgradient(w, h, [(0.0, SLATE_LIGHT), (0.4, LINK), (1.0, SLATE)])
    img = Image.composite(band, img, shoulder)
    # The lamp: a ring in the frame colour, its glass lit by the glow.
    big = img.resize((w * SS, h * SS), Image.Resampling.NEAREST)
    d = ImageDraw.Draw(big)
    cx, cy, r = 30 * SS, 16 * SS, 9 * SS
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=SLATE_DARK)
    r2 = 7 * SS
    lit = mix((120, 140, 170), (255, 214, 120), glow)
    d.ellipse([cx - r2, cy - r2, cx + r2, cy + r2], fill=mix(SLATE, lit, 0.85))
    r3 = 4 * SS
    d.ellipse([cx - r3 - SS, cy - r3 - SS, cx + r3 - SS, cy + r3 - SS], fill=mix(lit, WHITE, 0.45 * glow + 0.1))
    img = big.resize((w, h), Image.Resampling.LANCZOS)
    mask = rounded_mask(w * 2, h, (RADIUS, RADIUS, 0, 0)).crop((0, 0, w, h))
    img = crop_cut(img, mask, SLATE_DARK)
    return img.transpose(Image.Transpose.FLIP_LEFT_RIGHT) if flip else img


# --- buttons ----------------------------------------------------------------

def close_button(state):
    """A tab hanging from the title bar's right end over the right border,
    with a cross. The picture is 41 wide, as the button's place; the tab
    takes its right 28 columns, so that it stays clear of the licence box's
    scroll bar beside it. Everything else is cut away: the button's window
    has the tab's shape, so the title bar's light, the border and the page
    beneath show themselves there, and only the tab takes the mouse."""
    w, h, tab = 41, 61, 28
    face = {"": (SLATE_LIGHT, SLATE), "_up": ((130, 156, 194), LINK),
            "_down": (SLATE, SLATE_DARK)}[state]
    img = vgradient(w, h, [(0.0, face[0]), (1.0, face[1])])
    mask = Image.new("L", (w, h), 0)
    mask.paste(rounded_mask(tab, h, (0, 0, 12, 12)), (w - tab, 0))
    d = ImageDraw.Draw(img)
    d.line([(0, 0), (w, 0)], fill=SLATE_DARK)
    shift = 1 if state == "_down" else 0
    big = img.resize((w * SS, h * SS), Image.Resampling.NEAREST)
    d = ImageDraw.Draw(big)
    cx, cy, r = (w - tab / 2 + shift) * SS, (38 + shift) * SS, 6 * SS
    for dx, dy in ((1, 1), (1, -1)):
        d.line([(cx - r * dx, cy - r * dy), (cx + r * dx, cy + r * dy)],
               fill=WHITE if state != "_down" else (225, 230, 238), width=3 * SS)
    img = big.resize((w, h), Image.Resampling.LANCZOS)
    frame_edge(img, mask, SLATE_DARK)
    return crop_cut(img, mask, SLATE_DARK)


def pill(w, h, state, radius):
    """A button face: warm light, whiter when hovered, sunk when pressed."""
    if state == "_up":
        face = vgradient(w, h, [(0.0, WHITE), (0.5, (252, 248, 240)), (1.0, (236, 226, 208))])
        edge = LINK
    elif state == "_down":
        face = vgradient(w, h, [(0.0, (200, 182, 152)), (0.25, WARM_SHADE), (1.0, (232, 220, 200))])
        edge = SLATE_DARK
    else:
        face = vgradient(w, h, [(0.0, (252, 247, 238)), (0.5, (240, 230, 212)), (1.0, (220, 204, 176))])
        edge = SLATE
    mask = rounded_mask(w, h, (radius,) * 4)
    frame_edge(face, mask, edge)
    return face, mask


def forward_button(state):
    w, h = 141, 31
    face, mask = pill(w, h, state, 14)
    d = ImageDraw.Draw(face)
    shift = 1 if state == "_down" else 0
    colour = LINK if state == "_up" else SLATE
    text(d, (62 + shift, 15 + shift), "Дальше", 15, colour)
    # The arrow.
    ax, ay = 112 + shift, 15 + shift
    d.polygon([(ax - 4, ay - 6), (ax + 3, ay), (ax - 4, ay + 6)], fill=colour)
    return crop_cut(face, mask, SLATE)


def sizable_parts():
    """The nine parts of the sizable buttons (22 high), PNG with alpha: the
    caps carry the rounded ends, the middle repeats."""
    w, h, cap = 40, 22, 10
    for state in ("", "_up", "_down"):
        face, mask = pill(w, h, state, 10)
        rgba = face.convert("RGBA")
        rgba.putalpha(mask)
        save_png(rgba.crop((0, 0, cap, h)), f"button_left{state}.png")
        save_png(rgba.crop((cap, 0, cap + 4, h)), f"button_tile{state}.png")
        save_png(rgba.crop((w - cap, 0, w, h)), f"button_right{state}.png")


def icons():
    # The disagree icon: a cross in a ring.
    size = 14
    big = Image.new("RGBA", (size * SS, size * SS), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    d.ellipse([SS, SS, (size - 1) * SS, (size - 1) * SS], outline=SLATE, width=2 * SS)
    c, r = size * SS // 2, 3 * SS
    d.line([(c - r, c - r), (c + r, c + r)], fill=(166, 58, 48), width=2 * SS)
    d.line([(c - r, c + r), (c + r, c - r)], fill=(166, 58, 48), width=2 * SS)
    save_png(big.resize((size, size), Image.Resampling.LANCZOS), "icon_disagree.png")
    # The folder icon.
    w, h = 16, 14
    big = Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    d.rounded_rectangle([SS, SS, 7 * SS, 5 * SS], radius=SS, fill=(214, 170, 84), outline=SLATE, width=SS)
    d.rounded_rectangle([SS, 3 * SS, 15 * SS, 13 * SS], radius=SS, fill=(236, 196, 108), outline=SLATE, width=SS)
    d.line([(2 * SS, 5 * SS), (14 * SS, 5 * SS)], fill=(250, 226, 160), width=SS)
    save_png(big.resize((w, h), Image.Resampling.LANCZOS), "icon_folder.png")


# --- page body, licence box, progress ---------------------------------------

def holder_tile():
    """The page body: warm paper with a faint grain. The one JPEG."""
    rnd = random.Random(2008)
    size = 64
    img = Image.new("RGB", (size, size), BODY)
    px = img.load()
    for y in range(size):
        for x in range(size):
            n = rnd.randint(-3, 3)
            px[x, y] = tuple(max(0, min(255, c + n)) for c in BODY)
    # Smoothed as a 3 x 3 mosaic and cut from its middle, so the tile wraps
    # without a seam.
    mosaic = Image.new("RGB", (3 * size, 3 * size))
    for my in range(3):
        for mx in range(3):
            mosaic.paste(img, (mx * size, my * size))
    img = mosaic.filter(ImageFilter.SMOOTH).crop((size, size, 2 * size, 2 * size))
    img.save(os.path.join(OUT, "holder_tile.jpg"), "JPEG", quality=95)


def licence_parts():
    rnd = random.Random(184)
    size = 32
    img = Image.new("RGB", (size, size), PAPER)
    px = img.load()
    for y in range(size):
        for x in range(size):
            n = rnd.randint(-2, 2)
            px[x, y] = tuple(max(0, min(254, c + n)) for c in PAPER)
    save_bmp(img, "license_bg_tile.bmp")
    # The scroll bar's track brush, 8 x 8: the paper a shade darker with a
    # fine dot pattern.
    track = Image.new("RGB", (8, 8), WARM_SHADE)
    tp = track.load()
    for y in range(8):
        for x in range(8):
            if (x + y) % 4 == 0:
                tp[x, y] = (202, 184, 156)
    save_bmp(track, "sb_track.bmp")
    # Arrow buttons 16 x 18 (first arrow up, second down) and the thumb.
    for part, up in (("left", True), ("right", False)):
        for state in ("normal", "over", "down"):
            save_bmp(scroll_arrow(up, state), f"sb_{part}_{state}.bmp")
    for state in ("", "_over"):
        save_bmp(scroll_thumb(state == "_over"), f"sb_thumb{state}.bmp")


def scroll_arrow(up, state):
    w, h = 16, 18
    face = {"normal": ((248, 241, 229), (226, 212, 188)), "over": (WHITE, (238, 229, 212)),
            "down": (WARM_SHADE, (236, 225, 206))}[state]
    img = vgradient(w, h, [(0.0, face[0]), (1.0, face[1])])
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, w - 1, h - 1], outline=SLATE)
    colour = LINK if state == "over" else SLATE
    s = 1 if state == "down" else 0
    cx, cy = 8 + s, 9 + s
    pts = [(cx - 4, cy + 2), (cx + 4, cy + 2), (cx, cy - 3)] if up else \
          [(cx - 4, cy - 2), (cx + 4, cy - 2), (cx, cy + 3)]
    big = img.resize((w * SS, h * SS), Image.Resampling.NEAREST)
    ImageDraw.Draw(big).polygon([(x * SS, y * SS) for x, y in pts], fill=colour)
    return big.resize((w, h), Image.Resampling.LANCZOS)


def scroll_thumb(over):
    w, h = 16, 11
    top, bottom = (LINK, SLATE) if not over else ((122, 150, 190), LINK)
    face = vgradient(w, h, [(0.0, top), (1.0, bottom)])
    mask = rounded_mask(w, h, (4, 4, 4, 4))
    frame_edge(face, mask, SLATE_DARK)
    d = ImageDraw.Draw(face)
    for x in (6, 8, 10):
        d.line([(x, 3), (x, 7)], fill=(214, 224, 238))
    return Image.composite(face, Image.new("RGB", (w, h), WARM_SHADE), mask)


def progress_parts():
    h = 16
    track = vgradient(8, h, [(0.0, SLATE), (0.07, (190, 172, 144)), (0.2, WARM_SHADE),
                             (0.8, (238, 228, 210)), (0.94, (250, 245, 236)), (1.0, WHITE)])
    save_rgb_png(track, "progress_track_tile.png")
    bar = vgradient(1, h, [(0.0, SLATE_DARK), (0.08, (150, 176, 212)), (0.35, LINK),
                           (0.55, SLATE), (0.92, SLATE_DARK), (1.0, SLATE_DARK)])
    save_rgb_png(bar.resize((8, h)), "progress_tile.png")
    # The caps are rounded over the track's own colours, since the bar is
    # drawn without crop (its caps sit anywhere on the track).
    w = 6
    for name, corners, box in (("progress_left.png", (4, 0, 0, 4), (0, 0, w, h)),
                               ("progress_right.png", (0, 4, 4, 0), (w, 0, 2 * w, h))):
        mask = rounded_mask(2 * w, h, corners[:1] + (0, 0) + corners[3:] if name.endswith("left.png")
                            else (0,) + corners[1:3] + (0,)).crop(box)
        under = track.resize((w, h))
        save_rgb_png(Image.composite(bar.resize((w, h)), under, mask), name)


def product_picture():
    """The product's 48 x 48 picture: a curled worm, the product's emblem, on
    a rounded slate tile."""
    s = 48
    big = Image.new("RGBA", (s * SS, s * SS), (0, 0, 0, 0))
    tile = vgradient(s * SS, s * SS, [(0.0, SLATE_LIGHT), (0.5, LINK), (1.0, SLATE)]).convert("RGBA")
    mask = Image.new("L", (s * SS, s * SS), 0)
    ImageDraw.Draw(mask).rounded_rectangle([SS, SS, (s - 1) * SS, (s - 1) * SS], radius=10 * SS, fill=255)
    big.paste(tile, (0, 0), mask)
    d = ImageDraw.Draw(big)
    d.rounded_rectangle([SS, SS, (s - 1) * SS, (s - 1) * SS], radius=10 * SS, outline=SLATE_DARK, width=SS)
    # The worm: an S of overlapping segments, lighter towards the head.
    import math
    body = (232, 160, 150)
    for i in range(60):
        t = i / 59
        x = (10 + 28 * t) * SS
        y = (26 + 9 * math.sin(t * math.pi * 2.0)) * SS
        r = (4.2 - 1.2 * abs(t - 0.55)) * SS
        c = mix((196, 112, 108), body, t)
        d.ellipse([x - r, y - r, x + r, y + r], fill=c + (255,))
        if i % 8 == 4:
            d.arc([x - r, y - r, x + r, y + r], 200, 340, fill=(170, 92, 92, 255), width=SS)
    hx, hy = 38 * SS, 26 * SS
    d.ellipse([hx + 0 * SS, hy - 3 * SS, hx + 2 * SS, hy - 1 * SS], fill=SLATE_DARK + (255,))
    d.ellipse([hx - 1 * SS, hy - 3 * SS - SS // 2, hx + SS // 2, hy - 2 * SS], fill=WHITE + (255,))
    save_png(big.resize((s, s), Image.Resampling.LANCZOS), "product_48.png")


def program_icon():
    """The installer's icon: the product picture on its tile, at the sizes
    Windows asks for, with a small down arrow (the setup) at larger ones."""
    src = Image.open(os.path.join(OUT, "product_48.png")).convert("RGBA")
    frames = []
    for size in (16, 24, 32, 48):
        img = src.resize((size, size), Image.Resampling.LANCZOS)
        if size >= 32:
            big = Image.new("RGBA", (size * SS, size * SS), (0, 0, 0, 0))
            d = ImageDraw.Draw(big)
            r = size * SS * 0.36
            cx, cy = size * SS - r, size * SS - r
            d.ellipse([cx - r, cy - r, cx + r - 1, cy + r - 1], fill=WHITE + (255,), outline=SLATE_DARK + (255,),
                      width=SS)
            a = r * 0.55
            d.polygon([(cx - a, cy - a * 0.2), (cx + a, cy - a * 0.2), (cx, cy + a * 0.8)], fill=LINK + (255,))
            d.rectangle([cx - a * 0.35, cy - a * 0.95, cx + a * 0.35, cy - a * 0.2], fill=LINK + (255,))
            img = Image.alpha_composite(img, big.resize((size, size), Image.Resampling.LANCZOS))
        frames.append(img)
    frames[-1].save(os.path.join(OUT, "install.ico"), format="ICO", sizes=[f.size for f in frames],
                    append_images=frames[:-1])


# --- the folder tree --------------------------------------------------------

TREE_BG = (251, 247, 239)     # the tree's paper, lighter than the page body
FOLDER = (236, 196, 108)
FOLDER_BACK = (214, 170, 84)
ICON = 32                     # fits the tree's 41-pixel rows with a margin


def grain_tile(size, colour, seed, spread=2):
    rnd = random.Random(seed)
    img = Image.new("RGB", size, colour)
    px = img.load()
    for y in range(size[1]):
        for x in range(size[0]):
            n = rnd.randint(-spread, spread)
            px[x, y] = tuple(max(0, min(254, c + n)) for c in colour)
    return img


def folder_shape(d, opened, fill=FOLDER, back=FOLDER_BACK):
    """A folder in supersampled coordinates of a 32 x 32 icon: its tab and
    back, and its front, tilted open for the open picture."""
    s = SS
    d.rounded_rectangle([3 * s, 6 * s, 14 * s, 12 * s], radius=2 * s, fill=back, outline=SLATE, width=s)
    d.rounded_rectangle([3 * s, 9 * s, 28 * s, 27 * s], radius=2 * s, fill=back, outline=SLATE, width=s)
    if opened:
        d.rectangle([6 * s, 11 * s, 25 * s, 22 * s], fill=WHITE, outline=SLATE_LIGHT, width=s)
        d.polygon([(8 * s, 15 * s), (31 * s, 15 * s), (27 * s, 27 * s), (3 * s, 27 * s)],
                  fill=mix(fill, WHITE, 0.25), outline=SLATE)
    else:
        d.rounded_rectangle([3 * s, 12 * s, 28 * s, 27 * s], radius=2 * s, fill=fill, outline=SLATE, width=s)
        d.line([(4 * s, 14 * s), (27 * s, 14 * s)], fill=mix(fill, WHITE, 0.5), width=s)


def drive_shape(d, opened, light):
    s = SS
    body = SLATE_LIGHT if not opened else LINK
    d.rounded_rectangle([2 * s, 11 * s, 29 * s, 24 * s], radius=3 * s, fill=mix(body, WHITE, 0.55),
                        outline=SLATE, width=s)
    d.rectangle([4 * s, 19 * s, 27 * s, 22 * s], fill=mix(body, SLATE, 0.3))
    d.ellipse([22 * s, 13 * s, 26 * s, 17 * s], fill=light, outline=SLATE_DARK, width=s // 2)


def folder_icon(kind, opened):
    """The folder kinds' pictures, closed (even index) and open (odd)."""
    s = SS
    big = Image.new("RGBA", (ICON * s, ICON * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    lamp = (255, 214, 120) if opened else (150, 200, 120)
    if kind in (0, 4):        # the storage root; 4 is not used, drawn alike
        d.rounded_rectangle([3 * s, 8 * s, 28 * s, 27 * s], radius=3 * s, fill=mix(PAPER, WHITE, 0.3),
                            outline=SLATE, width=s)
        d.rectangle([3 * s, 13 * s, 28 * s, 15 * s], fill=SLATE_LIGHT if not opened else LINK)
        d.rounded_rectangle([12 * s, 17 * s, 19 * s, 21 * s], radius=s, fill=SLATE)
        if opened:
            d.polygon([(3 * s, 8 * s), (28 * s, 8 * s), (25 * s, 3 * s), (6 * s, 3 * s)],
                      fill=mix(PAPER, WHITE, 0.5), outline=SLATE)
    elif kind == 2:           # the desktop
        d.rounded_rectangle([2 * s, 4 * s, 29 * s, 22 * s], radius=2 * s, fill=SLATE, outline=SLATE_DARK, width=s)
        screen = vgradient((25) * s, (16) * s, [(0.0, (150, 176, 212)), (1.0, LINK if not opened else (190, 208, 232))])
        big.paste(screen, (3 * s, 5 * s))
        d.rectangle([13 * s, 22 * s, 18 * s, 25 * s], fill=SLATE)
        d.rounded_rectangle([8 * s, 25 * s, 23 * s, 28 * s], radius=s, fill=SLATE_DARK)
        if opened:
            d.rounded_rectangle([6 * s, 8 * s, 14 * s, 14 * s], radius=s, fill=FOLDER, outline=SLATE, width=s // 2)
    elif kind == 6:           # the computer
        d.rounded_rectangle([4 * s, 3 * s, 27 * s, 19 * s], radius=2 * s, fill=mix(PAPER, WHITE, 0.4),
                            outline=SLATE, width=s)
        d.rectangle([7 * s, 6 * s, 24 * s, 16 * s], fill=LINK if not opened else (150, 176, 212))
        d.rounded_rectangle([2 * s, 21 * s, 29 * s, 28 * s], radius=2 * s, fill=mix(PAPER, WHITE, 0.4),
                            outline=SLATE, width=s)
        d.rectangle([6 * s, 24 * s, 17 * s, 25 * s], fill=SLATE_LIGHT)
        d.ellipse([23 * s, 23 * s, 26 * s, 26 * s], fill=lamp)
    elif kind == 8:           # a removable drive: a diskette
        d.rounded_rectangle([5 * s, 4 * s, 26 * s, 28 * s], radius=2 * s, fill=SLATE if not opened else LINK,
                            outline=SLATE_DARK, width=s)
        d.rectangle([10 * s, 4 * s, 21 * s, 12 * s], fill=(210, 214, 222), outline=SLATE_DARK, width=s // 2)
        d.rectangle([17 * s, 6 * s, 19 * s, 10 * s], fill=SLATE_DARK)
        d.rectangle([9 * s, 16 * s, 22 * s, 26 * s], fill=WHITE)
        for y in (19, 22):
            d.line([(11 * s, y * s), (20 * s, y * s)], fill=SLATE_LIGHT, width=s // 2)
    elif kind == 10:          # a fixed, remote or RAM drive
        drive_shape(d, opened, lamp)
    elif kind == 12:          # a CD-ROM drive
        drive_shape(d, opened, lamp)
        d.ellipse([6 * s, 2 * s, 20 * s, 16 * s], fill=(220, 226, 236), outline=SLATE, width=s)
        d.ellipse([11 * s, 7 * s, 15 * s, 11 * s], fill=TREE_BG, outline=SLATE, width=s // 2)
    elif kind == 14:          # any other folder
        folder_shape(d, opened)
    elif kind == 16:          # the documents
        folder_shape(d, opened)
        d.rectangle([13 * s, 15 * s, 25 * s, 25 * s] if not opened else [12 * s, 4 * s, 22 * s, 14 * s],
                    fill=WHITE, outline=SLATE, width=s // 2)
        for i in range(3):
            y = (18 + 2 * i) if not opened else (7 + 2 * i)
            x0, x1 = (15, 23) if not opened else (14, 20)
            d.line([(x0 * s, y * s), (x1 * s, y * s)], fill=LINK, width=s // 2)
    elif kind == 18:          # the network
        d.ellipse([5 * s, 3 * s, 26 * s, 24 * s], fill=(150, 176, 212) if not opened else (190, 208, 232),
                  outline=SLATE, width=s)
        d.arc([10 * s, 3 * s, 21 * s, 24 * s], 0, 360, fill=SLATE, width=s)
        d.line([(5 * s, 13 * s), (26 * s, 13 * s)], fill=SLATE, width=s)
        d.line([(15 * s, 24 * s), (15 * s, 27 * s)], fill=SLATE, width=2 * s)
        d.rounded_rectangle([4 * s, 27 * s, 27 * s, 30 * s], radius=s, fill=SLATE_DARK)
    return big.resize((ICON, ICON), Image.Resampling.LANCZOS)


def tree_arrow(direction, state):
    """The tree's scroll arrows, like the licence box's: up and down 16 x 18,
    left and right 18 x 16."""
    if direction in ("up", "down"):
        return scroll_arrow(direction == "up", state)
    return scroll_arrow(direction == "left", state).transpose(Image.Transpose.TRANSPOSE)


def thumb_face(w, h, vertical):
    stops = [(0.0, (122, 150, 190)), (0.5, LINK), (1.0, SLATE)]
    return hgradient(w, h, stops) if vertical else vgradient(w, h, stops)


def tree_scroll_parts():
    for direction in ("up", "down", "left", "right"):
        for state in ("normal", "over", "down"):
            save_rgb_png(tree_arrow(direction, state), f"tree_sb_{direction}_{state}.png")
    # Tracks: the licence box's dotted brush, at the form's sizes.
    track = Image.open(os.path.join(OUT, "sb_track.bmp")).convert("RGB")
    for name, (w, h) in (("tree_sb_track.png", (16, 41)), ("tree_sb_htrack.png", (40, 16))):
        img = Image.new("RGB", (w, h))
        for y in range(0, h, 8):
            for x in range(0, w, 8):
                img.paste(track, (x, y))
        save_rgb_png(img, name)
    # The thumbs: a tile repeated along the bar, rounded caps at its ends and
    # a grip in its middle, over the track's colour.
    for vertical, pre in ((True, "tree_sb_thumb"), (False, "tree_sb_hthumb")):
        tile = thumb_face(16, 52, True) if vertical else thumb_face(52, 16, False)
        d = ImageDraw.Draw(tile)
        if vertical:
            d.line([(0, 0), (0, 51)], fill=SLATE_DARK)
            d.line([(15, 0), (15, 51)], fill=SLATE_DARK)
        else:
            d.line([(0, 0), (51, 0)], fill=SLATE_DARK)
            d.line([(0, 15), (51, 15)], fill=SLATE_DARK)
        save_rgb_png(tile, f"{pre}_tile.png")
        cw, ch = (16, 14) if vertical else (14, 16)
        for end, radii, box in (("first", (5, 5, 0, 0) if vertical else (5, 0, 0, 5), (0, 0, cw, ch)),
                                ("last", (0, 0, 5, 5) if vertical else (0, 5, 5, 0), None)):
            face = thumb_face(cw, ch, vertical)
            mask = rounded_mask(cw, ch, radii)
            frame_edge(face, mask, SLATE_DARK)
            # The edge on the tile's side is open: the tile continues there.
            if vertical:
                row = ch - 1 if end == "first" else 0
                face.paste(thumb_face(cw, 1, True).crop((1, 0, cw - 1, 1)), (1, row))
            else:
                col = cw - 1 if end == "first" else 0
                face.paste(thumb_face(1, ch, False).crop((0, 1, 1, ch - 1)), (col, 1))
            name = {(True, "first"): "top", (True, "last"): "bottom",
                    (False, "first"): "left", (False, "last"): "right"}[(vertical, end)]
            save_rgb_png(Image.composite(face, Image.new("RGB", (cw, ch), WARM_SHADE), mask), f"{pre}_{name}.png")
        grip = thumb_face(cw, ch, vertical)
        d = ImageDraw.Draw(grip)
        for i in (4, 7, 10):
            if vertical:
                d.line([(0, 0), (0, ch - 1)], fill=SLATE_DARK)
                d.line([(cw - 1, 0), (cw - 1, ch - 1)], fill=SLATE_DARK)
                d.line([(4, i - 1), (11, i - 1)], fill=(214, 224, 238))
            else:
                d.line([(0, 0), (cw - 1, 0)], fill=SLATE_DARK)
                d.line([(0, ch - 1), (cw - 1, ch - 1)], fill=SLATE_DARK)
                d.line([(i - 1, 4), (i - 1, 11)], fill=(214, 224, 238))
        save_rgb_png(grip, f"{pre}_main.png")
    # The corner between both bars.
    corner = Image.new("RGB", (16, 16), WARM_SHADE)
    d = ImageDraw.Draw(corner)
    for i in range(3):
        d.line([(6 + 3 * i, 14), (14, 6 + 3 * i)], fill=SLATE_LIGHT)
    save_rgb_png(corner, "tree_corner.png")


def tree_parts():
    """The tree's paper tile, its expand buttons and separator line, and the
    install folder edit's tile."""
    save_rgb_png(grain_tile((64, 64), TREE_BG, 105), "tree_bg_tile.png")
    save_rgb_png(grain_tile((32, 16), WHITE, 319, spread=1), "edit_bg_tile.png")
    for name, plus in (("tree_plus.png", True), ("tree_minus.png", False)):
        w = 13
        img = vgradient(w, w, [(0.0, WHITE), (1.0, (232, 220, 200))])
        d = ImageDraw.Draw(img)
        d.rectangle([0, 0, w - 1, w - 1], outline=SLATE)
        d.line([(3, 6), (9, 6)], fill=SLATE)
        if plus:
            d.line([(6, 3), (6, 9)], fill=SLATE)
        save_rgb_png(img, name)
    line = Image.new("RGB", (8, 3), TREE_BG)
    d = ImageDraw.Draw(line)
    d.line([(0, 1), (7, 1)], fill=SLATE_LIGHT)
    d.line([(0, 2), (7, 2)], fill=WHITE)
    save_rgb_png(line, "tree_separator.png")
    for kind in range(0, 20, 2):
        for opened in (False, True):
            save_png(folder_icon(kind, opened).convert("RGBA"), f"tree_icon_{kind + opened}.png")


def contact_sheet(path):
    """Every picture of the folder page on the tree's paper, enlarged, for a
    person to look at."""
    names = sorted(n for n in os.listdir(OUT) if n.startswith(("tree_", "edit_")))
    names.sort(key=lambda n: (not n.startswith("tree_icon_"), int(n[10:-4]) if n.startswith("tree_icon_") else 0, n))
    scale, cell = 3, 150
    cols = 8
    rows = (len(names) + cols - 1) // cols
    sheet = Image.new("RGB", (cols * cell, rows * cell), TREE_BG)
    for i, n in enumerate(names):
        img = Image.open(os.path.join(OUT, n)).convert("RGBA")
        img = img.resize((img.width * scale, img.height * scale), Image.Resampling.NEAREST)
        x, y = (i % cols) * cell, (i // cols) * cell
        sheet.paste(img, (x + 5, y + 5), img)
        ImageDraw.Draw(sheet).text((x + 5, y + cell - 14), n[:-4], fill=SLATE)
    sheet.save(path)


def main():
    os.makedirs(OUT, exist_ok=True)
    draw_frame()
    for state in ("", "_up", "_down"):
        save_rgb_png(close_button(state), f"close{state}.png")
        save_rgb_png(forward_button(state), f"forward{state}.png", crop_transparent=True)
    sizable_parts()
    icons()
    holder_tile()
    licence_parts()
    progress_parts()
    product_picture()
    program_icon()
    tree_scroll_parts()
    tree_parts()
    if len(sys.argv) > 1:
        contact_sheet(sys.argv[1])
    cursors.write_cursors(os.path.join(ROOT, "controls", "skin", "cursors"))


if __name__ == "__main__":
    main()
