#!/usr/bin/env python3
"""Draws Plorimet's bitmaps and icons from their editable sources.

The tool bar pictures are text grids in resources/art/toolbar.art (one letter a pixel, the
palette and the four button-face colours beside them); the start picture and the icon are
drawn here from a few shapes and a tiny bitmap font. Output, all into one directory:

  <Stem><Set><Face>.bmp   156 tool bar bitmaps, 4-bit, 16 colours
  IBMP_1.bmp              the start picture, 253 x 221, 4-bit
  plorimet.ico            the program's icon, 32 x 32, 4-bit image + AND mask
  contact-sheet.png       every distinct picture at 4x, labelled, for people to look at
  art.stamp               written last, so a build can depend on one file

Standard library only, so any Python 3 that builds the program can run it.
"""

import argparse
import os
import struct
import sys
import zlib

FACE = 7          # palette entry of the button face: the only entry the four sets change
DARK_GREY = 8     # shadows, and the ink of greyed-out pictures
WHITE = 15
BLACK = 0

BUTTON_HEIGHT = 20
PICTURE_W, PICTURE_H = 26, 14
PICTURE_AT = (3, 3)   # top-left of a picture on a raised button: centred in 32 x 20
FACES = ("Up", "Dn", "In")


class ArtError(Exception):
    pass


# ---------------------------------------------------------------------------------------
# Images: palette indices, row 0 at the top.

class Image:
    def __init__(self, width, height, fill=0):
        self.width = width
        self.height = height
        self.pixels = bytearray([fill]) * (width * height)

    def get(self, x, y):
        return self.pixels[y * self.width + x]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = colour

    def fill_rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(max(y0, 0), min(y1, self.height - 1) + 1):
            for x in range(max(x0, 0), min(x1, self.width - 1) + 1):
                self.pixels[y * self.width + x] = colour

    def frame_rect(self, x0, y0, x1, y1, colour, thickness=1):
        for t in range(thickness):
            self.fill_rect(x0 + t, y0 + t, x1 - t, y0 + t, colour)
            self.fill_rect(x0 + t, y1 - t, x1 - t, y1 - t, colour)
            self.fill_rect(x0 + t, y0 + t, x0 + t, y1 - t, colour)
            self.fill_rect(x1 - t, y0 + t, x1 - t, y1 - t, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        """Bresenham line; width > 1 stamps a width x width square at every step."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.fill_rect(x0, y0, x0 + width - 1, y0 + width - 1, colour)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, radius, colour, outline=None):
        """A filled disc centred on the pixel (cx, cy), with an optional one-pixel rim."""
        r2 = (radius + 0.5) ** 2
        inner2 = (radius - 0.5) ** 2
        for y in range(cy - radius, cy + radius + 1):
            for x in range(cx - radius, cx + radius + 1):
                d2 = (x - cx) ** 2 + (y - cy) ** 2
                if d2 <= r2:
                    rim = outline is not None and d2 > inner2
                    self.set(x, y, outline if rim else colour)

    def blit(self, other, x0, y0, transparent=None):
        for y in range(other.height):
            for x in range(other.width):
                c = other.get(x, y)
                if c != transparent:
                    self.set(x0 + x, y0 + y, c)

    def crop(self, x0, y0, width, height):
        out = Image(width, height)
        for y in range(height):
            for x in range(width):
                out.set(x, y, self.get(x0 + x, y0 + y))
        return out


# ---------------------------------------------------------------------------------------
# A tiny proportional bitmap font: 7 rows above the baseline (capitals 7 high, small
# letters 5), 2 rows of descenders. '#' is ink.

GLYPHS = {
    "A": ".###./#...#/#...#/#####/#...#/#...#/#...#",
    "B": "####./#...#/#...#/####./#...#/#...#/####.",
    "C": ".###./#...#/#..../#..../#..../#...#/.###.",
    "D": "####./#...#/#...#/#...#/#...#/#...#/####.",
    "E": "#####/#..../#..../####./#..../#..../#####",
    "F": "#####/#..../#..../####./#..../#..../#....",
    "G": ".###./#...#/#..../#.###/#...#/#...#/.####",
    "H": "#...#/#...#/#...#/#####/#...#/#...#/#...#",
    "I": "###/.#./.#./.#./.#./.#./###",
    "J": "..###/...#./...#./...#./#..#./#..#./.##..",
    "K": "#...#/#..#./#.#../##.../#.#../#..#./#...#",
    "L": "#..../#..../#..../#..../#..../#..../#####",
    "M": "#...#/##.##/#.#.#/#.#.#/#...#/#...#/#...#",
    "N": "#...#/#...#/##..#/#.#.#/#..##/#...#/#...#",
    "O": ".###./#...#/#...#/#...#/#...#/#...#/.###.",
    "P": "####./#...#/#...#/####./#..../#..../#....",
    "Q": ".###./#...#/#...#/#...#/#.#.#/#..#./.##.#",
    "R": "####./#...#/#...#/####./#.#../#..#./#...#",
    "S": ".####/#..../#..../.###./....#/....#/####.",
    "T": "#####/..#../..#../..#../..#../..#../..#..",
    "U": "#...#/#...#/#...#/#...#/#...#/#...#/.###.",
    "V": "#...#/#...#/#...#/#...#/#...#/.#.#./..#..",
    "W": "#...#/#...#/#...#/#.#.#/#.#.#/#.#.#/.#.#.",
    "X": "#...#/#...#/.#.#./..#../.#.#./#...#/#...#",
    "Y": "#...#/#...#/.#.#./..#../..#../..#../..#..",
    "Z": "#####/....#/...#./..#../.#.../#..../#####",
    "a": "...../...../.###./....#/.####/#...#/.####",
    "b": "#..../#..../####./#...#/#...#/#...#/####.",
    "c": "..../..../.###/#.../#.../#.../.###",
    "d": "....#/....#/.####/#...#/#...#/#...#/.####",
    "e": "...../...../.###./#...#/#####/#..../.###.",
    "f": "..##/.#../####/.#../.#../.#../.#..",
    "g": "...../...../.####/#...#/#...#/#...#/.####/....#/.###.",
    "h": "#..../#..../####./#...#/#...#/#...#/#...#",
    "i": "#/./#/#/#/#/#",
    "j": "..#/.../..#/..#/..#/..#/..#/#.#/.#.",
    "k": "#.../#.../#..#/#.#./##../#.#./#..#",
    "l": "#/#/#/#/#/#/#",
    "m": "...../...../##.#./#.#.#/#.#.#/#.#.#/#.#.#",
    "n": "...../...../#.##./##..#/#...#/#...#/#...#",
    "o": "...../...../.###./#...#/#...#/#...#/.###.",
    "p": "...../...../####./#...#/#...#/#...#/####./#..../#....",
    "q": "...../...../.####/#...#/#...#/#...#/.####/....#/....#",
    "r": "..../..../#.##/##../#.../#.../#...",
    "s": "...../...../.####/#..../.###./....#/####.",
    "t": ".#../.#../####/.#../.#../.#.#/..#.",
    "u": "...../...../#...#/#...#/#...#/#..##/.##.#",
    "v": "...../...../#...#/#...#/#...#/.#.#./..#..",
    "w": "...../...../#...#/#...#/#.#.#/#.#.#/.#.#.",
    "x": "...../...../#...#/.#.#./..#../.#.#./#...#",
    "y": "...../...../#...#/#...#/#...#/#...#/.####/....#/.###.",
    "z": "...../...../#####/...#./..#../.#.../#####",
    "0": ".###./#...#/#..##/#.#.#/##..#/#...#/.###.",
    "1": "..#../.##../..#../..#../..#../..#../.###.",
    "2": ".###./#...#/....#/...#./..#../.#.../#####",
    "3": "#####/...#./..#../...#./....#/#...#/.###.",
    "4": "...#./..##./.#.#./#..#./#####/...#./...#.",
    "5": "#####/#..../####./....#/....#/#...#/.###.",
    "6": "..##./.#.../#..../####./#...#/#...#/.###.",
    "7": "#####/....#/...#./..#../.#.../.#.../.#...",
    "8": ".###./#...#/#...#/.###./#...#/#...#/.###.",
    "9": ".###./#...#/#...#/.####/....#/...#./.##..",
    " ": ".../.../.../.../.../.../...",
    "_": "...../...../...../...../...../...../...../#####",
    "(": ".#/#./#./#./#./#./.#",
    ")": "#./.#/.#/.#/.#/.#/#.",
    ".": "././././././#",
    ",": "../../../../../.#/.#/#.",
    ":": "./././#/././#",
    "-": "..../..../..../####/..../..../....",
    "/": "....#/....#/...#./..#../.#.../#..../#....",
    "\"": "#.#/#.#/.../.../.../.../...",
}
GLYPH_ROWS = 9   # 7 above the baseline, 2 below
GLYPH_ASCENT = 7


def glyph(ch):
    rows = GLYPHS.get(ch)
    if rows is None:
        raise ArtError("no glyph for %r" % ch)
    rows = rows.split("/")
    width = len(rows[0])
    if any(len(r) != width for r in rows) or len(rows) > GLYPH_ROWS:
        raise ArtError("glyph %r is ragged" % ch)
    return width, rows


def text_width(text, scale=1, bold=0):
    if not text:
        return 0
    widths = [glyph(ch)[0] for ch in text]
    return (sum(widths) + len(widths) - 1) * scale + bold


def draw_text(img, x, y, text, colour, scale=1, bold=0):
    """Draws text with its top (the top of the capitals) at y; bold widens every stroke."""
    for ch in text:
        width, rows = glyph(ch)
        for gy, row in enumerate(rows):
            for gx, cell in enumerate(row):
                if cell == "#":
                    px, py = x + gx * scale, y + gy * scale
                    img.fill_rect(px, py, px + scale - 1 + bold, py + scale - 1, colour)
        x += (width + 1) * scale


# ---------------------------------------------------------------------------------------
# The tool bar art source.

class ToolbarArt:
    """Parsed resources/art/toolbar.art."""

    def __init__(self):
        self.palette = {}      # index -> (r, g, b)
        self.sets = []         # (suffix, (r, g, b)) in file order
        self.keys = {}         # letter -> palette index, or None for the button face
        self.buttons = []      # (stem, width, picture name or None)
        self.pictures = {}     # name -> list of rows

    def colours(self, face_rgb):
        table = [self.palette[i] for i in range(16)]
        table[FACE] = face_rgb
        return table


def parse_rgb(words, where):
    try:
        rgb = tuple(int(w) for w in words)
    except ValueError:
        raise ArtError("%s: colour must be three numbers" % where)
    if len(rgb) != 3 or any(not 0 <= c <= 255 for c in rgb):
        raise ArtError("%s: colour must be three numbers 0..255" % where)
    return rgb


def parse_toolbar_art(path):
    art = ToolbarArt()
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    n = 0
    while n < len(lines):
        where = "%s:%d" % (path, n + 1)
        line = lines[n].strip()
        n += 1
        if not line or line.startswith("#"):
            continue
        words = line.split()
        kind = words[0]
        if kind == "palette" and len(words) == 5:
            index = int(words[1])
            if not 0 <= index < 16:
                raise ArtError("%s: palette index out of range" % where)
            art.palette[index] = parse_rgb(words[2:], where)
        elif kind == "set" and len(words) == 5:
            suffix = "" if words[1] == "-" else words[1]
            art.sets.append((suffix, parse_rgb(words[2:], where)))
        elif kind == "key" and len(words) == 3 and len(words[1]) == 1:
            art.keys[words[1]] = None if words[2] == "face" else int(words[2])
        elif kind == "button" and len(words) in (3, 4):
            picture = words[3] if len(words) == 4 else None
            art.buttons.append((words[1], int(words[2]), picture))
        elif kind == "picture" and len(words) == 2:
            rows = []
            while n < len(lines) and lines[n].strip() != "end":
                rows.append(lines[n].strip())
                n += 1
            if n == len(lines):
                raise ArtError("%s: picture %s has no end" % (where, words[1]))
            n += 1
            art.pictures[words[1]] = rows
        else:
            raise ArtError("%s: cannot read %r" % (where, line))
    check_toolbar_art(art, path)
    return art


def check_toolbar_art(art, path):
    if sorted(art.palette) != list(range(16)):
        raise ArtError("%s: the palette needs all 16 entries" % path)
    if len(art.sets) != 4:
        raise ArtError("%s: expected four button-face sets" % path)
    for name, rows in art.pictures.items():
        if len(rows) != PICTURE_H or any(len(r) != PICTURE_W for r in rows):
            raise ArtError("%s: picture %s must be %d x %d" % (path, name, PICTURE_W, PICTURE_H))
        for r in rows:
            for ch in r:
                if ch not in art.keys:
                    raise ArtError("%s: picture %s uses unknown letter %r" % (path, name, ch))
    for stem, width, picture in art.buttons:
        if picture is not None and picture not in art.pictures:
            raise ArtError("%s: button %s names no picture %s" % (path, stem, picture))
        for suffix, _ in art.sets:
            for face in FACES:
                if len(stem + suffix + face) > 11:
                    raise ArtError("%s: bitmap name %s is too long" % (path, stem + suffix + face))


def picture_image(art, name):
    """The picture as palette indices, with FACE where the button shows through."""
    img = Image(PICTURE_W, PICTURE_H, FACE)
    for y, row in enumerate(art.pictures[name]):
        for x, ch in enumerate(row):
            index = art.keys[ch]
            img.set(x, y, FACE if index is None else index)
    return img


def luminance(rgb):
    r, g, b = rgb
    return 0.299 * r + 0.587 * g + 0.114 * b


def greyed(art, pic):
    """The picture greyed out as a disabled button shows it: dark colours become dark-grey
    ink with a white relief one pixel below and to the right, light colours become white."""
    out = Image(pic.width + 1, pic.height + 1, FACE)
    ink = []
    for y in range(pic.height):
        for x in range(pic.width):
            c = pic.get(x, y)
            if c == FACE:
                continue
            if luminance(art.palette[c]) < 160:
                ink.append((x, y))
            else:
                out.set(x, y, WHITE)
    for x, y in ink:
        if out.get(x + 1, y + 1) == FACE:
            out.set(x + 1, y + 1, WHITE)
    for x, y in ink:
        out.set(x, y, DARK_GREY)
    return out


def raised_edges(img):
    w, h = img.width, img.height
    img.fill_rect(0, 0, w - 1, 0, WHITE)
    img.fill_rect(0, 0, 0, h - 1, WHITE)
    img.fill_rect(1, h - 2, w - 2, h - 2, DARK_GREY)
    img.fill_rect(w - 2, 1, w - 2, h - 2, DARK_GREY)
    img.fill_rect(0, h - 1, w - 1, h - 1, BLACK)
    img.fill_rect(w - 1, 0, w - 1, h - 1, BLACK)


def sunken_edges(img):
    w, h = img.width, img.height
    img.fill_rect(0, h - 1, w - 1, h - 1, WHITE)
    img.fill_rect(w - 1, 0, w - 1, h - 1, WHITE)
    img.fill_rect(0, 0, w - 1, 0, DARK_GREY)
    img.fill_rect(0, 0, 0, h - 1, DARK_GREY)
    img.fill_rect(1, 1, w - 2, 1, BLACK)
    img.fill_rect(1, 1, 1, h - 2, BLACK)


def plain_strip(width):
    """Gap and Space: bare button face, with the top and bottom edges of the buttons beside
    them so the bar reads as one strip."""
    img = Image(width, BUTTON_HEIGHT, FACE)
    img.fill_rect(0, 0, width - 1, 0, WHITE)
    img.fill_rect(0, BUTTON_HEIGHT - 2, width - 1, BUTTON_HEIGHT - 2, DARK_GREY)
    img.fill_rect(0, BUTTON_HEIGHT - 1, width - 1, BUTTON_HEIGHT - 1, BLACK)
    return img


def button_faces(art, width, picture):
    """The Up, Dn and In faces of one button, as a dict face -> Image."""
    if picture is None:
        strip = plain_strip(width)
        return {face: strip for face in FACES}
    pic = picture_image(art, picture)
    px, py = PICTURE_AT
    up = Image(width, BUTTON_HEIGHT, FACE)
    up.blit(pic, px, py, transparent=FACE)
    raised_edges(up)
    dn = Image(width, BUTTON_HEIGHT, FACE)
    dn.blit(pic, px + 1, py + 1, transparent=FACE)
    sunken_edges(dn)
    dis = Image(width, BUTTON_HEIGHT, FACE)
    dis.blit(greyed(art, pic), px, py, transparent=FACE)
    raised_edges(dis)
    return {"Up": up, "Dn": dn, "In": dis}


# ---------------------------------------------------------------------------------------
# The start picture and the icon (standard VGA colours of the tool bar palette).

CYAN, BLUE, NAVY, RED, DARK_RED = 14, 12, 4, 9, 1


def fit_polynomial(points, degree):
    """Least-squares coefficients (lowest power first) by the normal equations."""
    n = degree + 1
    a = [[sum(x ** (i + j) for x, _ in points) for j in range(n)] for i in range(n)]
    b = [sum(y * x ** i for x, y in points) for i in range(n)]
    for col in range(n):
        pivot = max(range(col, n), key=lambda r: abs(a[r][col]))
        a[col], a[pivot] = a[pivot], a[col]
        b[col], b[pivot] = b[pivot], b[col]
        for r in range(col + 1, n):
            f = a[r][col] / a[col][col]
            for c in range(col, n):
                a[r][c] -= f * a[col][c]
            b[r] -= f * b[col]
    coef = [0.0] * n
    for r in reversed(range(n)):
        coef[r] = (b[r] - sum(a[r][c] * coef[c] for c in range(r + 1, n))) / a[r][r]
    return coef


def draw_curve_through(img, points, to_px, x_range, colour, width):
    """Draws the least-squares cubic of points (in data units) as a polyline."""
    coef = fit_polynomial(points, 3)
    x0, x1 = x_range
    prev = None
    steps = 120
    for k in range(steps + 1):
        x = x0 + (x1 - x0) * k / steps
        y = sum(c * x ** i for i, c in enumerate(coef))
        p = to_px(x, y)
        if prev is not None:
            img.line(prev[0], prev[1], p[0], p[1], colour, width)
        prev = p


# Data points of the pictures, in units of 0..10 on both axes: a rise, a shoulder, a rise.
SAMPLE_POINTS = [(0.6, 1.4), (1.8, 3.6), (3.0, 4.5), (4.3, 4.6), (5.5, 4.2),
                 (6.8, 4.6), (8.0, 5.9), (9.2, 8.3)]


def start_picture():
    w, h = 253, 221
    img = Image(w, h, CYAN)
    img.frame_rect(0, 0, w - 1, h - 1, NAVY)
    img.frame_rect(1, 1, w - 2, h - 2, BLUE, thickness=3)

    for text, top in (("Polynomial", 14), ("Approximation", 44)):
        tw = text_width(text, scale=3, bold=1)
        draw_text(img, (w - tw) // 2, top, text, BLACK, scale=3, bold=1)

    ox, oy = 40, 192                   # the origin of the axes
    top, right = 84, 222
    img.fill_rect(ox, top, ox + 1, oy + 1, BLACK)
    img.fill_rect(ox, oy, right, oy + 1, BLACK)
    for d in range(12):                # arrow heads, 11 pixels long
        half = d // 2
        img.fill_rect(ox - half, top + d, ox + 1 + half, top + d, BLACK)
        img.fill_rect(right + 11 - d, oy - half, right + 11 - d, oy + 1 + half, BLACK)
    draw_text(img, ox - 20, top, "Y", BLACK, scale=2, bold=1)
    draw_text(img, right - 2, oy + 8, "X", BLACK, scale=2, bold=1)

    def to_px(x, y):
        return int(ox + 10 + x * 16.5), int(oy - 8 - y * 10.5)

    draw_curve_through(img, SAMPLE_POINTS, to_px, (0.0, 9.6), BLACK, 2)
    for x, y in SAMPLE_POINTS:
        px, py = to_px(x, y)
        img.disc(px, py, 4, RED, outline=DARK_RED)
    return img


def icon_picture():
    img = Image(32, 32, CYAN)
    img.frame_rect(0, 0, 31, 31, NAVY)
    img.frame_rect(1, 1, 30, 30, BLUE)
    img.line(5, 26, 5, 5, BLACK)
    img.line(5, 26, 27, 26, BLACK)

    def to_px(x, y):
        return int(7 + x * 2.0), int(24 - y * 1.9)

    draw_curve_through(img, SAMPLE_POINTS, to_px, (0.0, 9.9), BLACK, 1)
    for x, y in SAMPLE_POINTS[::2] + SAMPLE_POINTS[-1:]:
        px, py = to_px(x, y)
        img.fill_rect(px - 1, py - 1, px + 1, py + 1, RED)
    return img


# ---------------------------------------------------------------------------------------
# File formats.

def dib_rows_4bit(img):
    """The pixels as 4-bit rows, bottom row first, each padded to a multiple of 4 bytes."""
    stride = ((img.width * 4 + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(img.height)):
        row = bytearray(stride)
        for x in range(img.width):
            c = img.get(x, y)
            row[x // 2] |= c << 4 if x % 2 == 0 else c
        out += row
    return bytes(out)


def colour_table(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def info_header(width, height, image_size):
    # 3780 pixels per metre = 96 dots per inch.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 3780, 3780, 16, 16)


def bmp_bytes(img, colours):
    bits = dib_rows_4bit(img)
    head = info_header(img.width, img.height, len(bits)) + colour_table(colours)
    offset = 14 + len(head)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + head + bits


def ico_bytes(img, colours):
    """One 4-bit image with an all-opaque AND mask."""
    xor = dib_rows_4bit(img)
    mask_stride = ((img.width + 31) // 32) * 4
    mask = bytes(mask_stride * img.height)
    body = info_header(img.width, img.height * 2, len(xor) + len(mask))
    body += colour_table(colours) + xor + mask
    head = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", img.width % 256, img.height % 256, 16, 0, 1, 4,
                        len(body), 6 + 16)
    return head + entry + body


def png_bytes(width, height, rgb_rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + bytes(row) for row in rgb_rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


# ---------------------------------------------------------------------------------------
# The contact sheet: an RGB canvas with labelled tiles.

class Canvas:
    def __init__(self, width, height, rgb):
        self.width, self.height = width, height
        self.rows = [bytearray(bytes(rgb) * width) for _ in range(height)]

    def put(self, x, y, rgb):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x * 3:x * 3 + 3] = bytes(rgb)

    def paste(self, img, colours, x0, y0, scale):
        if x0 + img.width * scale > self.width or y0 + img.height * scale > self.height:
            raise ArtError("contact sheet: a tile at (%d, %d) does not fit" % (x0, y0))
        for y in range(img.height):
            for x in range(img.width):
                rgb = bytes(colours[img.get(x, y)])
                for sy in range(scale):
                    row = self.rows[y0 + y * scale + sy]
                    start = (x0 + x * scale) * 3
                    row[start:start + 3 * scale] = rgb * scale

    def text(self, x, y, text, rgb, scale=2):
        mono = Image(max(text_width(text, scale), 1), GLYPH_ROWS * scale, 0)
        draw_text(mono, 0, 0, text, 1, scale)
        for yy in range(mono.height):
            for xx in range(mono.width):
                if mono.get(xx, yy):
                    self.put(x + xx, y + yy, rgb)


SHEET_BG = (255, 255, 255)
INK = (0, 0, 0)
SCALE = 4
LABEL_H = 22
GAP = 12


def contact_sheet(art, faces_by_stem, start, icon):
    """faces_by_stem: stem -> face -> Image. Shows every set of every button (the sets
    differ in entry 7 only, but that is what a user sees), the start picture and the icon."""
    space_shown = 32                   # as wide as a command button
    tile_w = 32 * SCALE
    col_w = tile_w + GAP
    label_w = 100
    header_h = 40
    row_h = LABEL_H + BUTTON_HEIGHT * SCALE + GAP
    grid_w = label_w + len(art.sets) * len(FACES) * col_w
    grid_h = header_h + len(art.buttons) * row_h
    start_w, start_h = start.width * SCALE, start.height * SCALE
    width = max(grid_w, start_w + 32 * SCALE + 3 * GAP) + GAP
    height = grid_h + LABEL_H + max(start_h, 32 * SCALE) + 3 * GAP
    sheet = Canvas(width, height, SHEET_BG)
    sheet.text(GAP, 8, "Plorimet tool bar bitmaps at 4x. Columns: set, face. "
                       "Space is 2000 wide, its left %d pixels are shown." % space_shown, INK)

    for s, (suffix, face_rgb) in enumerate(art.sets):
        colours = art.colours(face_rgb)
        for stem_row, (stem, width_px, _) in enumerate(art.buttons):
            y = header_h + stem_row * row_h
            if s == 0:
                sheet.text(GAP, y + LABEL_H + 30, stem, INK)
            for f, face in enumerate(FACES):
                img = faces_by_stem[stem][face]
                if img.width > space_shown:
                    img = img.crop(0, 0, space_shown, img.height)
                x = label_w + (s * len(FACES) + f) * col_w
                sheet.text(x, y + 2, stem + suffix + face, INK)
                sheet.paste(img, colours, x, y + LABEL_H, SCALE)

    plain = art.colours(art.sets[0][1])
    y = grid_h + GAP
    sheet.text(GAP, y, "IBMP_1 (253 x 221)", INK)
    sheet.paste(start, plain, GAP, y + LABEL_H, SCALE)
    x = GAP + start_w + 2 * GAP
    sheet.text(x, y, "ICON_1 and 215", INK)
    sheet.paste(icon, plain, x, y + LABEL_H, SCALE)
    sheet.paste(icon, plain, x, y + LABEL_H + 32 * SCALE + GAP, 1)
    return sheet


# ---------------------------------------------------------------------------------------

def write_if_changed(path, data):
    """Leaves an unchanged file alone, so its time stamp does not force a rebuild."""
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def generate(art_path, out_dir):
    art = parse_toolbar_art(art_path)
    os.makedirs(out_dir, exist_ok=True)
    faces_by_stem = {}
    count = 0
    for stem, width, picture in art.buttons:
        faces = button_faces(art, width, picture)
        faces_by_stem[stem] = faces
        for suffix, face_rgb in art.sets:
            colours = art.colours(face_rgb)
            for face in FACES:
                write_if_changed(os.path.join(out_dir, stem + suffix + face + ".bmp"),
                                 bmp_bytes(faces[face], colours))
                count += 1
    plain = art.colours(art.sets[0][1])
    start = start_picture()
    icon = icon_picture()
    write_if_changed(os.path.join(out_dir, "IBMP_1.bmp"), bmp_bytes(start, plain))
    write_if_changed(os.path.join(out_dir, "plorimet.ico"), ico_bytes(icon, plain))
    sheet = contact_sheet(art, faces_by_stem, start, icon)
    write_if_changed(os.path.join(out_dir, "contact-sheet.png"),
                     png_bytes(sheet.width, sheet.height, sheet.rows))
    with open(os.path.join(out_dir, "art.stamp"), "w") as f:
        f.write("%d tool bar bitmaps, IBMP_1, plorimet.ico, contact sheet\n" % count)
    return count


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--art", required=True, help="the tool bar art source (toolbar.art)")
    parser.add_argument("--out", required=True, help="directory for the generated files")
    args = parser.parse_args(argv)
    try:
        generate(args.art, args.out)
    except (ArtError, OSError) as e:
        print("artgen: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
