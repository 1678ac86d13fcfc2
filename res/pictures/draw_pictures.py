#!/usr/bin/env python3
"""Draws Quillane's icons, cursor and bitmaps into the directory given as argument.

The pictures are drawn here rather than kept as binaries so that they can be rebuilt and
changed from the repository. Output, all read by quillane.rc:
  icon1.ico     three overlapping windows, 32x32 and 16x16, 16 colours (icon group 1)
  icon10.grp    icon group 10: the directory of group 1, naming group 1's images, so that
                the same picture is not stored twice
  icon11.ico    the same in greys with dithered interiors (desktops not shown)
  hand.cur      32x32 monochrome pointing hand, hot spot 0,0 (About box links)
  bitmap16.bmp  40x190, 4 bpp, standard 16-colour table (About strip, fewer than 8 bpp)
  bitmap32.bmp  40x190, 8 bpp, 256-entry table of which 0-31 are used (About strip)
  toolbar.bmp   32x32, 4 bpp (floating window toolbar; only its top-left 2x2 shows)
"""

import os
import struct
import sys

# The standard 16-colour table, in the order the system uses.
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

STRIP_WIDTH, STRIP_HEIGHT = 40, 190
SHADES = 32
GRADIENT_SHADES = 24


class Canvas:
    """Palette indexes, top row first; None is transparent (icons and cursor only)."""

    def __init__(self, width, height, fill=None):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the inclusive rectangle; colour may be a function of (x, y)."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour(x, y) if callable(colour) else colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.fill(x0, y0, x1, y0, colour)
        self.fill(x0, y1, x1, y1, colour)
        self.fill(x0, y0, x0, y1, colour)
        self.fill(x1, y0, x1, y1, colour)


# ---------------------------------------------------------------------------------------------
# File formats


def row_bytes(indexes, bits):
    """Packs one row of indexes at 1, 4 or 8 bits per pixel, padded to 4 bytes."""
    per_byte = 8 // bits
    out = bytearray()
    for i in range(0, len(indexes), per_byte):
        value = 0
        for j in range(per_byte):
            value <<= bits
            if i + j < len(indexes):
                value |= indexes[i + j]
        out.append(value)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def info_header(width, height, bits, colours_used, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0,
                       colours_used, 0)


def colour_table(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)


def bitmap_file(canvas, bits, colours, colours_used):
    rows = b"".join(row_bytes(canvas.pixels[y], bits) for y in reversed(range(canvas.height)))
    body = (info_header(canvas.width, canvas.height, bits, colours_used, len(rows))
            + colour_table(colours) + rows)
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, 14 + 40 + 4 * len(colours)) + body


def icon_image(canvas, bits, colours, transparent_index=0):
    """One image of an icon or cursor file: colour rows, then the AND mask (1 = transparent)."""
    xor = b"".join(
        row_bytes([transparent_index if p is None else p for p in canvas.pixels[y]], bits)
        for y in reversed(range(canvas.height)))
    mask = b"".join(
        row_bytes([1 if p is None else 0 for p in canvas.pixels[y]], 1)
        for y in reversed(range(canvas.height)))
    # The header's height counts both halves.
    return (info_header(canvas.width, 2 * canvas.height, bits, 0, len(xor) + len(mask))
            + colour_table(colours) + xor + mask)


def icon_file(canvases):
    images = [icon_image(c, 4, VGA) for c in canvases]
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    for canvas, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", canvas.width, canvas.height, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def icon_group(icon, first_id):
    """The directory of an icon group as a resource holds it: each image named by the number
    the resource compiler gave it (the images of the first ICON statement are 1, 2, ...)."""
    count = struct.unpack_from("<H", icon, 4)[0]
    out = struct.pack("<HHH", 0, 1, count)
    for i in range(count):
        entry = struct.unpack_from("<BBBBHHI", icon, 6 + 16 * i)
        out += struct.pack("<BBBBHHIH", *entry, first_id + i)
    return out


def cursor_file(canvas, hot_x, hot_y):
    image = icon_image(canvas, 1, [(0, 0, 0), (255, 255, 255)])
    return (struct.pack("<HHH", 0, 2, 1)
            + struct.pack("<BBBBHHII", canvas.width, canvas.height, 0, 0, hot_x, hot_y,
                          len(image), 6 + 16)
            + image)


# ---------------------------------------------------------------------------------------------
# The three windows


def draw_window(canvas, x, y, w, h, scheme, big):
    title_rows = 4 if big else 2
    if big:
        # A one-pixel shadow makes the stacking readable at 32x32.
        canvas.fill(x + 1, y + h, x + w, y + h, GREY)
        canvas.fill(x + w, y + 1, x + w, y + h, GREY)
    canvas.frame(x, y, x + w - 1, y + h - 1, BLACK)
    canvas.fill(x + 1, y + 1, x + w - 2, y + title_rows, scheme["title"])
    canvas.fill(x + 1, y + title_rows + 1, x + w - 2, y + h - 2, scheme["inside"])
    if big:
        # Close box and caption text.
        canvas.fill(x + w - 5, y + 2, x + w - 3, y + 3, SILVER)
        canvas.fill(x + 2, y + 2, x + 7, y + 2, scheme["caption"])
    else:
        canvas.put(x + w - 3, y + 1, SILVER)


def draw_text_lines(canvas, x, y, w, colour):
    """Grey lines of 'text' in the front window, so it reads as a window with content."""
    for i, length in enumerate((w - 6, w - 9, w - 7)):
        canvas.fill(x + 3, y + 7 + 2 * i, x + 3 + length - 1, y + 7 + 2 * i, colour)


def windows_icon(size, scheme):
    canvas = Canvas(size, size)
    if size == 32:
        w, h, steps = 20, 15, [(1, 1), (6, 8), (11, 15)]
    else:
        w, h, steps = 10, 8, [(0, 0), (3, 4), (6, 8)]
    for (x, y) in steps:
        draw_window(canvas, x, y, w, h, scheme, size == 32)
    if size == 32:
        x, y = steps[-1]
        draw_text_lines(canvas, x, y, w, scheme["lines"])
    return canvas


COLOUR_SCHEME = {"title": NAVY, "caption": WHITE, "inside": WHITE, "lines": SILVER}
# Dithered so that the interiors read as grey next to the white of the active icon.
GREY_SCHEME = {"title": GREY, "caption": SILVER,
               "inside": lambda x, y: SILVER if (x + y) % 2 else WHITE, "lines": GREY}


# ---------------------------------------------------------------------------------------------
# The pointing hand

HAND = [
    ".BB..............",
    "BWWB.............",
    "BWWB.............",
    "BWWB.............",
    "BWWB.............",
    "BWWB.............",
    "BWWBBB...........",
    "BWWBWWBBB........",
    "BWWBWWBWWBB......",
    "BWWBWWBWWBWB.....",
    "BWWBWWBWWBWWB....",
    "BWWWWWWWWBWWB....",
    "BWWWWWWWWWWWB....",
    "BWWWWWWWWWWWB....",
    "BWWWWWWWWWWWB....",
    ".BWWWWWWWWWWB....",
    ".BWWWWWWWWWB.....",
    "..BWWWWWWWWB.....",
    "..BWWWWWWWWB.....",
    "..BBBBBBBBBB.....",
    "..BWWWWWWWWB.....",
    "..BBBBBBBBBB.....",
]


def hand_cursor():
    canvas = Canvas(32, 32)
    for y, line in enumerate(HAND):
        for x, c in enumerate(line):
            if c != ".":
                canvas.put(x, y, 1 if c == "W" else 0)
    return canvas


# ---------------------------------------------------------------------------------------------
# The About strip: a deep blue to green gradient with the name written upwards over a shadow.

# 5x7 capitals, enough for the name.
FONT = {
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
}


def shade_rgb(j):
    """Entry j of the strip's 32 shades: deep blue (0) through teal to green (23); the last
    ones, light greens, are kept for the drawing over the gradient."""
    stops = [(0, (6, 10, 80)), (11, (16, 70, 136)), (GRADIENT_SHADES - 1, (34, 150, 76)),
             (SHADES - 1, (150, 230, 140))]
    for (j0, c0), (j1, c1) in zip(stops, stops[1:]):
        if j <= j1:
            u = (j - j0) / (j1 - j0)
            return tuple(round(a + (b - a) * u) for a, b in zip(c0, c1))
    return stops[-1][1]


def text_mask(word, scale):
    """Pixels of the word turned a quarter left (read bottom to top), as a set of (x, y)."""
    glyph_w, glyph_h, gap = 5 * scale, 7 * scale, scale
    length = len(word) * (glyph_w + gap) - gap
    points = set()
    for i, letter in enumerate(word):
        for gy, line in enumerate(FONT[letter]):
            for gx, bit in enumerate(line):
                if bit == "1":
                    for sy in range(scale):
                        for sx in range(scale):
                            u = i * (glyph_w + gap) + gx * scale + sx  # along the word
                            v = gy * scale + sy  # across the word
                            points.add((v, length - 1 - u))
    return points, glyph_h, length


def strip_shades():
    """The strip as shade numbers, and the set of pixels drawn over the gradient."""
    canvas = Canvas(STRIP_WIDTH, STRIP_HEIGHT)
    for y in range(STRIP_HEIGHT):
        for x in range(STRIP_WIDTH):
            # Mostly vertical, leaning slightly so the strip is not flat.
            t = (y + 0.15 * x) / (STRIP_HEIGHT - 1 + 0.15 * (STRIP_WIDTH - 1))
            canvas.pixels[y][x] = min(GRADIENT_SHADES - 1, int(t * GRADIENT_SHADES))
    drawn = set()

    def paint(x, y, shade):
        canvas.pixels[y][x] = shade
        drawn.add((x, y))

    points, across, along = text_mask("QUILLANE", 2)
    left = (STRIP_WIDTH - across) // 2
    top = STRIP_HEIGHT - 14 - along
    for (x, y) in points:  # shadow down and right, then the letters over it
        if (x + 1, y + 1) not in points:
            paint(left + x + 1, top + y + 1, max(0, canvas.pixels[top + y + 1][left + x + 1] - 10))
    for (x, y) in points:
        paint(left + x, top + y, SHADES - 1)
    # Three small stacked squares near the top: the desktops.
    for i, (x, y) in enumerate([(9, 10), (15, 16), (21, 22)]):
        for yy in range(y, y + 10):
            for xx in range(x, x + 10):
                edge = xx in (x, x + 9) or yy in (y, y + 9)
                paint(xx, yy, 0 if edge else GRADIENT_SHADES + 2 * i)
    return canvas, drawn


BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def nearest(usable, rgb):
    return min(usable, key=lambda i: distance(VGA[i], rgb))


def strip_in_16_colours(shades, drawn):
    """The strip for 16-colour displays: the gradient ordered-dithered between the two nearest
    of the standard table's blues and greens, the drawing over it in plain colours so that it
    stays sharp."""
    canvas = Canvas(STRIP_WIDTH, STRIP_HEIGHT)
    for y in range(STRIP_HEIGHT):
        for x in range(STRIP_WIDTH):
            rgb = shade_rgb(shades.pixels[y][x])
            usable = [BLACK, NAVY, TEAL, GREEN]
            if (x, y) in drawn:
                # The letters' light green has no match among these; silver reads best.
                light = shades.pixels[y][x] == SHADES - 1
                canvas.pixels[y][x] = SILVER if light else nearest(usable, rgb)
                continue
            a = nearest(usable, rgb)
            b = nearest([i for i in usable if i != a], rgb)
            share = min(1.0, max(0.0, projection(VGA[a], VGA[b], rgb)))
            threshold = (BAYER4[y % 4][x % 4] + 0.5) / 16
            canvas.pixels[y][x] = b if share > threshold else a
    return canvas


def distance(c0, c1):
    return sum((a - b) ** 2 for a, b in zip(c0, c1))


def projection(c0, c1, c):
    d = [b - a for a, b in zip(c0, c1)]
    return sum((x - a) * k for a, x, k in zip(c0, c, d)) / sum(k * k for k in d)


# ---------------------------------------------------------------------------------------------
# Toolbar bitmap: the buttons show only its top-left 2x2 pixels, which must be button face.


def toolbar_bitmap():
    canvas = Canvas(32, 32, SILVER)
    icon = windows_icon(16, COLOUR_SCHEME)
    for y in range(16):
        for x in range(16):
            if icon.pixels[y][x] is not None:
                canvas.put(8 + x, 8 + y, icon.pixels[y][x])
    return canvas


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_pictures.py OUTPUT_DIRECTORY")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    shades, drawn = strip_shades()
    icon1 = icon_file([windows_icon(32, COLOUR_SCHEME), windows_icon(16, COLOUR_SCHEME)])
    files = {
        "icon1.ico": icon1,
        "icon10.grp": icon_group(icon1, 1),
        "icon11.ico": icon_file([windows_icon(32, GREY_SCHEME), windows_icon(16, GREY_SCHEME)]),
        "hand.cur": cursor_file(hand_cursor(), 0, 0),
        "bitmap16.bmp": bitmap_file(strip_in_16_colours(shades, drawn), 4, VGA, 16),
        "bitmap32.bmp": bitmap_file(
            shades, 8, [shade_rgb(j) for j in range(SHADES)] + [(0, 0, 0)] * (256 - SHADES), 256),
        "toolbar.bmp": bitmap_file(toolbar_bitmap(), 4, VGA, 16),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
