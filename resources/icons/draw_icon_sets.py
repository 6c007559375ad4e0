#!/usr/bin/python3
"""Draws the icon libraries of the file associations: for each set, one icon
per file type of the settings document, in its order, each at 16, 32 and 48
pixels (32-bit with alpha). Writes the icons as .ico files and, per set, a
resource script that names them icon groups 1, 2, ... in that order, so the
n-th icon of the library built from it is the n-th file type's.

    draw_icon_sets.py --out DIR [--sheet PNG]

For set NAME: DIR/NAME.rc and DIR/NAME/NN.ico. --sheet also writes a contact
sheet of every icon, enlarged and at its own size, on light and dark ground.

Standard library only and deterministic: the same script gives the same bytes.
"""

import argparse
import math
import os
import struct
import sys

sys.dont_write_bytecode = True  # keep the checkout clean
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'skin'))
from draw_resources import (  # noqa: E402  (the skin's drawing kit, beside this folder)
    ACCENT, BODY_BOT, BODY_TOP, BORDER, LCD_BOT, LCD_EDGE, LCD_TOP, Icon, Img, coverage, mix,
    png_bytes, polygon, rrect, strokes, write)

# The settings document's file types, in its order: the icon library holds one
# icon per list position.
FILE_TYPES = [('MP1', 'mpeg'), ('MP2', 'mpeg'), ('MP3', 'mpeg'), ('WAV', 'wave'),
              ('WMA', 'wma'), ('OGG', 'ogg'), ('M3U', 'playlist'), ('MOD', 'module'),
              ('MO3', 'module'), ('IT', 'module'), ('XM', 'module'), ('S3M', 'module'),
              ('MTM', 'module'), ('UMX', 'module')]
SIZES = (16, 32, 48)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

# Letters 5 rows high for the 16-pixel icons: 3 wide, M and W 5 wide.
TINY = {
    'M': ["#...#", "##.##", "#.#.#", "#...#", "#...#"],
    'W': ["#...#", "#...#", "#.#.#", "##.##", "#...#"],
    'P': ["##.", "#.#", "##.", "#..", "#.."],
    'A': [".#.", "#.#", "###", "#.#", "#.#"],
    'V': ["#.#", "#.#", "#.#", "#.#", ".#."],
    'O': [".#.", "#.#", "#.#", "#.#", ".#."],
    'G': [".##", "#..", "#.#", "#.#", ".##"],
    'U': ["#.#", "#.#", "#.#", "#.#", "###"],
    'D': ["##.", "#.#", "#.#", "#.#", "##."],
    'I': ["###", ".#.", ".#.", ".#.", "###"],
    'T': ["###", ".#.", ".#.", ".#.", ".#."],
    'X': ["#.#", "#.#", ".#.", "#.#", "#.#"],
    'S': [".##", "#..", ".#.", "..#", "##."],
    '1': [".#.", "##.", ".#.", ".#.", "###"],
    '2': ["##.", "..#", ".#.", "#..", "###"],
    '3': ["##.", "..#", ".#.", "..#", "##."],
}

# Letters 7 rows high for the 32- and (doubled) 48-pixel icons.
BOLD = {
    'M': ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    'W': ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"],
    'P': ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    'A': [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'V': ["#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."],
    'O': [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'G': [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    'U': ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'D': ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    'I': ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    'T': ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    'X': ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    'S': [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    '1': ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    '2': [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    '3': ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
}

# Family marks at 16 pixels, 6 x 6, drawn pixel by pixel so they stay sharp.
TINY_MARKS = {
    'note': ["..####", "..#..#", "..#..#", "..#..#", "###.##", "##.###"],
    'wave': ["......", ".#....", "#.#...", "...#.#", "....#.", "......"],
    'list': ["#.####", "......", "#.####", "......", "#.####", "......"],
    'grid': ["##.##.", "##.##.", "......", "##.##.", "##.##.", "......"],
}
MARK_OF = {'mpeg': 'note', 'wma': 'note', 'ogg': 'note', 'wave': 'wave', 'playlist': 'list',
           'module': 'grid'}


def text_width(font, s, scale=1):
    return sum(len(font[c][0]) * scale for c in s) + scale * (len(s) - 1)


def draw_text(ic, font, s, x, y, colour, scale=1, alpha=1.0):
    """Pixel letters at whole pixels; scale doubles each pixel."""
    for c in s:
        g = font[c]
        for j, row in enumerate(g):
            for i, v in enumerate(row):
                if v == '#':
                    for dy in range(scale):
                        for dx in range(scale):
                            ic.over(x + i * scale + dx, y + j * scale + dy, colour, alpha)
        x += (len(g[0]) + 1) * scale


def draw_pixels(ic, rows, x, y, colour, alpha=1.0):
    for j, row in enumerate(rows):
        for i, v in enumerate(row):
            if v == '#':
                ic.over(x + i, y + j, colour, alpha)


class Canvas(Icon):
    """An icon that paints only inside a shape's bounds: the sampling is slow."""

    def fill_shape(self, inside, bounds, colour, alpha=1.0):
        x0, y0, x1, y1 = bounds
        for y in range(max(0, int(y0) - 1), min(self.h, int(y1) + 2)):
            for x in range(max(0, int(x0) - 1), min(self.w, int(x1) + 2)):
                a = coverage(inside, x, y)
                if a > 0:
                    self.over(x, y, colour(x, y) if callable(colour) else colour, a * alpha)


def vfill(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, (y + 0.5 - y0) / max(1.0, y1 - y0))


def bounds_of(points, margin=0.0):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs) - margin, min(ys) - margin, max(xs) + margin, max(ys) + margin)


# --------------------------------------------------------------------------
# Vector family marks for 32 and 48 pixels, in a box (x, y, w, h).

def mark_note(ic, x, y, w, h, colour):
    sx = lambda u: x + u * w  # noqa: E731
    sy = lambda v: y + v * h  # noqa: E731
    stem = max(1.0, w * 0.11)
    heads = [(0.26, 0.82), (0.80, 0.74)]
    for hx, hy in heads:
        cx, cy, rx, ry = sx(hx), sy(hy), w * 0.21, h * 0.15
        ic.fill_shape(lambda px, py, cx=cx, cy=cy, rx=rx, ry=ry:
                      ((px - cx) / rx) ** 2 + ((py - cy) / ry) ** 2 <= 1,
                      (cx - rx, cy - ry, cx + rx, cy + ry), colour)
    top_l, top_r = sy(0.12), sy(0.04)
    xl, xr = sx(0.26) + w * 0.21 - stem, sx(0.80) + w * 0.21 - stem
    for xs_, yt, yb in ((xl, top_l, sy(0.80)), (xr, top_r, sy(0.72))):
        pts = [(xs_, yt), (xs_ + stem, yt), (xs_ + stem, yb), (xs_, yb)]
        ic.fill_shape(polygon(pts), bounds_of(pts), colour)
    beam = h * 0.16
    pts = [(xl, top_l), (xr + stem, top_r), (xr + stem, top_r + beam), (xl, top_l + beam)]
    ic.fill_shape(polygon(pts), bounds_of(pts), colour)


def mark_wave(ic, x, y, w, h, colour):
    pts = []
    n = 24
    for k in range(n + 1):
        u = k / n
        env = math.sin(math.pi * u)
        pts.append((x + u * w, y + h / 2 - env * h * 0.45 * math.sin(u * 4 * math.pi)))
    segs = list(zip(pts, pts[1:]))
    width = max(1.4, w * 0.1)
    ic.fill_shape(strokes(segs, width), bounds_of(pts, width), colour)


def mark_list(ic, x, y, w, h, colour, accent):
    rows = 4
    gap = h / rows
    bar = max(1.0, round(gap * 0.5))
    for k in range(rows):
        top = round(y + k * gap + (gap - bar) / 2)
        pts = [(x + w * 0.34, top), (x + w, top), (x + w, top + bar), (x + w * 0.34, top + bar)]
        ic.fill_shape(polygon(pts), bounds_of(pts), colour if k != 1 else accent)
    ty = round(y + gap + (gap - bar) / 2) + bar / 2
    pts = [(x, ty - gap * 0.55), (x + w * 0.24, ty), (x, ty + gap * 0.55)]
    ic.fill_shape(polygon(pts), bounds_of(pts), accent)


def mark_keys(ic, x, y, w, h, colour, paper):
    x, y, w, h = round(x), round(y), round(w), round(h)
    ic.fill_shape(rrect(x, y, x + w, y + h, 1), (x, y, x + w, y + h), colour)
    keys = 3
    line = 1
    kw = (w - line) / keys
    for k in range(keys):
        kx0 = round(x + line + k * kw)
        kx1 = round(x + line + (k + 1) * kw) - line
        ic.fill_shape(lambda px, py, a=kx0, b=kx1: a <= px < b and y + line <= py < y + h - line,
                      (kx0, y, kx1, y + h), paper)
    bw = max(2, round(kw * 0.55))
    for k in range(1, keys):
        bx = round(x + line + k * kw - bw / 2)
        ic.fill_shape(lambda px, py, a=bx: a <= px < a + bw and y <= py < y + h * 0.6,
                      (bx, y, bx + bw, y + h), colour)


def draw_mark(ic, family, box, ink, paper, accent):
    x, y, w, h = box
    mark = MARK_OF[family]
    if mark == 'note':
        mark_note(ic, x, y, w, h, ink)
    elif mark == 'wave':
        mark_wave(ic, x, y, w, h, ink)
    elif mark == 'list':
        mark_list(ic, x, y, w, h, ink, accent)
    else:
        mark_keys(ic, x, y, w, h, ink, paper)


# --------------------------------------------------------------------------
# "Crystal": the built-in skin's look. A pale page with a folded corner and a
# glossy badge in the family's colour that carries the extension.

CRYSTAL_FAMILIES = {
    'mpeg': ACCENT,
    'wave': (72, 168, 120),
    'wma': (226, 134, 52),
    'ogg': (148, 104, 204),
    'playlist': BODY_TOP,
    'module': (206, 78, 84),
}
CRYSTAL_INK = (60, 65, 74)

# Per size: page (left, top, right, bottom, fold), badge (left, top, right,
# bottom, radius), the letters' scale (0: tiny letters), the mark's box.
CRYSTAL_LAYOUT = {
    16: ((2.5, 0.5, 13.5, 15.5, 4), (0, 8, 16, 15, 1.5), 0, (4, 1)),
    32: ((5.5, 0.5, 26.5, 31.5, 8), (1, 18, 31, 29, 2.5), 1, (9, 4, 13, 12)),
    48: ((8.5, 1.5, 39.5, 46.5, 11), (2, 26, 46, 44, 3.5), 2, (13, 6, 19, 17)),
}


def crystal_icon(ext, family, size):
    ic = Canvas(size)
    (pl, pt, pr, pb, fold), (bl, bt, br, bb, rad), scale, mark_box = CRYSTAL_LAYOUT[size]
    colour = CRYSTAL_FAMILIES[family]

    page = [(pl, pt), (pr - fold, pt), (pr, pt + fold), (pr, pb), (pl, pb)]
    ic.fill_shape(polygon(page), bounds_of(page), BORDER)
    inner = [(pl + 1, pt + 1), (pr - fold - 0.4, pt + 1), (pr - 1, pt + fold + 0.4), (pr - 1, pb - 1),
             (pl + 1, pb - 1)]
    ic.fill_shape(polygon(inner), bounds_of(inner), vfill(WHITE, LCD_BOT, pt, pb))
    # A sheen down the left of the page.
    sheen = [(pl + 1, pt + 1), (pl + 1 + (pr - pl) * 0.3, pt + 1), (pl + 1, pb - 1)]
    ic.fill_shape(polygon(sheen), bounds_of(sheen), WHITE, 0.5)
    flap = [(pr - fold, pt), (pr, pt + fold), (pr - fold, pt + fold)]
    ic.fill_shape(polygon(flap), bounds_of(flap), vfill(LCD_TOP, LCD_EDGE, pt, pt + fold))
    ic.fill_shape(strokes([((pr - fold, pt), (pr - fold, pt + fold)), ((pr - fold, pt + fold),
                                                                      (pr, pt + fold))], 1),
                  (pr - fold - 1, pt - 1, pr + 1, pt + fold + 1), BORDER, 0.8)

    ink = mix(colour, BLACK, 0.35)
    if scale == 0:
        draw_pixels(ic, TINY_MARKS[MARK_OF[family]], mark_box[0], mark_box[1], ink)
    else:
        mx, my, mw, mh = mark_box
        draw_mark(ic, family, (mx, my, mw, mh), ink, WHITE, ACCENT)

    edge = mix(colour, BLACK, 0.5)
    # At 16 pixels the letters need the badge's full width: no edge at its sides.
    side = 0 if scale == 0 else 1
    ic.fill_shape(rrect(bl, bt, br, bb, rad), (bl, bt, br, bb), edge)
    ic.fill_shape(rrect(bl + side, bt + 1, br - side, bb - 1, max(0.5, rad - 1)), (bl, bt, br, bb),
                  vfill(mix(colour, WHITE, 0.3), mix(colour, BLACK, 0.15), bt, bb))
    if scale:
        mid = bt + (bb - bt) / 2
        ic.fill_shape(rrect(bl + 1, bt + 1, br - 1, mid, max(0.5, rad - 1)), (bl, bt, br, mid),
                      WHITE, 0.2)

    font = TINY if scale == 0 else BOLD
    s = max(1, scale)
    tw = text_width(font, ext, s)
    th = len(font[ext[0]]) * s
    tx = bl + (br - bl - tw + 1) // 2
    ty = bt + (bb - bt - th + 1) // 2
    draw_text(ic, font, ext, tx, ty, WHITE, s)
    return ic


# --------------------------------------------------------------------------
# "Classic": flat and square. A tile of one plain colour with a black edge, a
# white mark, and a white label across it with the extension in black.

CLASSIC_FAMILIES = {
    'mpeg': (0, 0, 128),
    'wave': (0, 128, 0),
    'wma': (128, 0, 0),
    'ogg': (128, 0, 128),
    'playlist': (0, 128, 128),
    'module': (128, 128, 0),
}

# Per size: tile (left, top, right, bottom), label (top, bottom), letters'
# scale (0: tiny), mark box.
CLASSIC_LAYOUT = {
    16: ((0, 0, 16, 16), (8, 15), 0, (5, 1)),
    32: ((1, 1, 31, 31), (18, 29), 1, (9, 4, 14, 11)),
    48: ((2, 2, 46, 46), (26, 44), 2, (13, 6, 22, 16)),
}


def classic_icon(ext, family, size):
    ic = Canvas(size)
    (l, t, r, b), (lt, lb), scale, mark_box = CLASSIC_LAYOUT[size]
    colour = CLASSIC_FAMILIES[family]
    square = lambda x0, y0, x1, y1: (lambda px, py: x0 <= px < x1 and y0 <= py < y1)  # noqa: E731
    ic.fill_shape(square(l, t, r, b), (l, t, r, b), BLACK)
    ic.fill_shape(square(l + 1, t + 1, r - 1, b - 1), (l, t, r, b), colour)
    # A bevel one pixel wide: light top and left, dark bottom and right.
    if size > 16:
        ic.fill_shape(square(l + 1, t + 1, r - 1, t + 2), (l, t, r, t + 2), WHITE, 0.35)
        ic.fill_shape(square(l + 1, t + 1, l + 2, b - 1), (l, t, l + 2, b), WHITE, 0.35)
    if scale == 0:
        draw_pixels(ic, TINY_MARKS[MARK_OF[family]], mark_box[0], mark_box[1], WHITE)
        ic.fill_shape(square(0, lt, 16, lb), (0, lt, 16, lb), WHITE)
    else:
        draw_mark(ic, family, mark_box, WHITE, colour, (255, 255, 0))
        ic.fill_shape(square(l, lt, r, lb), (l, lt, r, lb), BLACK)
        ic.fill_shape(square(l + 1, lt + 1, r - 1, lb - 1), (l, lt, r, lb), WHITE)
    font = TINY if scale == 0 else BOLD
    s = max(1, scale)
    tw = text_width(font, ext, s)
    th = len(font[ext[0]]) * s
    x0, x1 = (0, 16) if scale == 0 else (l, r)
    draw_text(ic, font, ext, x0 + (x1 - x0 - tw + 1) // 2, lt + (lb - lt - th + 1) // 2, BLACK, s)
    return ic


SETS = {'Crystal': crystal_icon, 'Classic': classic_icon}


# --------------------------------------------------------------------------
# Files.

def ico_bytes(icons):
    """An .ico of several sizes: each 32-bit colour with alpha plus the AND mask."""
    images = []
    for icon in icons:
        px = icon.rgba()
        n = icon.w
        xor = b''.join(bytes((b, g, r, a)) for y in range(n - 1, -1, -1) for (r, g, b, a) in px[y])
        stride = ((n + 31) // 32) * 4
        mask = bytearray()
        for y in range(n - 1, -1, -1):
            row = bytearray(stride)
            for x in range(n):
                if px[y][x][3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        info = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((n, info + xor + bytes(mask)))
    head = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for n, data in images:
        entries += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return head + entries + b''.join(data for _, data in images)


def contact_sheet(drawn, path):
    """Each set in a band: rows of the icons enlarged 4 times (48, 32, 16), then
    at their own size on light and on dark ground."""
    zoom = 4
    cell = 48 * zoom + 8
    n = len(FILE_TYPES)
    band_h = sum(s * zoom + 8 for s in SIZES) + 2 * (48 + 8) + 8
    sheet = Img(n * cell + 8, band_h * len(drawn), (236, 238, 242))
    for k, (name, icons) in enumerate(drawn.items()):
        y = k * band_h + 4
        for size in reversed(SIZES):
            for i in range(n):
                paste(sheet, icons[i][size], 4 + i * cell, y, zoom)
            y += size * zoom + 8
        for ground in ((236, 238, 242), BODY_BOT):
            sheet.fill(0, y - 4, sheet.w, y + 52, ground)
            for i in range(n):
                x = 4 + i * cell
                for size in SIZES:
                    paste(sheet, icons[i][size], x, y + 48 - size, 1)
                    x += size + 6
            y += 56
    write(path, png_bytes(sheet))


def paste(sheet, icon, x0, y0, zoom):
    px = icon.rgba()
    for y in range(icon.h * zoom):
        for x in range(icon.w * zoom):
            r, g, b, a = px[y // zoom][x // zoom]
            sheet.blend(x0 + x, y0 + y, (r, g, b), a / 255)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--out', required=True, help="folder for the .ico files and resource scripts")
    ap.add_argument('--sheet', help="also write a PNG contact sheet of every icon")
    args = ap.parse_args()

    drawn = {}
    for name, draw in SETS.items():
        folder = os.path.join(args.out, name)
        os.makedirs(folder, exist_ok=True)
        rc = ['// The %s icon library: one icon group per file type, in the settings\' order.' % name]
        drawn[name] = []
        for i, (ext, family) in enumerate(FILE_TYPES):
            icons = {size: draw(ext, family, size) for size in SIZES}
            drawn[name].append(icons)
            fn = os.path.join(folder, '%02d_%s.ico' % (i, ext))
            write(fn, ico_bytes([icons[s] for s in SIZES]))
            rc.append('%d ICON "%s"' % (i + 1, fn.replace('\\', '/')))
        write(os.path.join(args.out, name + '.rc'), ('\n'.join(rc) + '\n').encode('ascii'))
    if args.sheet:
        contact_sheet(drawn, args.sheet)


if __name__ == '__main__':
    main()
