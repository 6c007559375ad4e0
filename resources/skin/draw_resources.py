#!/usr/bin/python3
"""Draws every picture tavrin.exe carries as a resource: the default skin's
three sheets, the slider's built-in pictures, the about box's logo and close
button, the font combo's type glyphs and the menu icons. Writes them with a
resource script naming them all and a C++ table for the resource test.
With --second-skin it draws instead the tests' second skin into a folder.

Standard library only and deterministic: the same inputs give the same bytes.

    draw_resources.py --cells cells.txt --skin Skin.txt --out DIR
    draw_resources.py --cells cells.txt --second-skin DIR

The sheet layout comes from cells.txt; where the controls stand comes from
Skin.txt, so the backgrounds put a drawn slot under each control.
"""

import argparse
import colorsys
import math
import os
import struct
import sys
import zlib

# --------------------------------------------------------------------------
# Colours: (red, green, blue) tuples.

GREEN = (0, 255, 0)      # sheet markers
MAGENTA = (255, 0, 255)  # outside a window's shape; transparent font glyphs
BLUE = (0, 0, 255)       # outside a button's or thumb's shape
KEYS = (GREEN, MAGENTA, BLUE)

BORDER = (17, 19, 22)
BODY_TOP = (60, 65, 74)
BODY_BOT = (43, 47, 54)
HILITE = (88, 95, 106)
WELL = (31, 34, 39)
WELL_DARK = (19, 21, 24)
WELL_LIGHT = (72, 78, 88)
TEXT = (222, 228, 236)
TEXT_DIM = (136, 144, 156)
TEXT_ENGRAVED = (30, 33, 38)
ACCENT = (96, 157, 216)
ACCENT_LIGHT = (169, 219, 255)
ACCENT_DARK = (50, 96, 150)
LCD_TOP = (229, 235, 240)
LCD_BOT = (208, 218, 227)
LCD_EDGE = (176, 189, 201)
SCREEN_TOP = (50, 62, 77)
SCREEN_BOT = (36, 46, 58)
# The visualisation panel: mid-tone, so the description's black peaks and
# scope line and its light-blue bars both stand out (black on it better than
# 4.5:1, the bars' middle colour better than 1.6:1 over its whole face).
VIS_TOP = (122, 140, 160)
VIS_BOT = (112, 130, 150)
VIS_GRID = (58, 70, 86)
VIS_SHADOW = (30, 37, 46)
LIST_BG = (252, 252, 252)   # ItemBGColor of the description
FILLER = (40, 40, 40)


def mix(a, b, t):
    """a blended toward b by t (0..1), rounded half up."""
    if t <= 0:
        return a
    if t >= 1:
        return b
    return (int(a[0] + (b[0] - a[0]) * t + 0.5),
            int(a[1] + (b[1] - a[1]) * t + 0.5),
            int(a[2] + (b[2] - a[2]) * t + 0.5))


def shade(c, d):
    return tuple(max(0, min(255, v + d)) for v in c)


def vgrad(top, bottom, y, h):
    return mix(top, bottom, y / (h - 1) if h > 1 else 0)


# --------------------------------------------------------------------------
# Images.

class Img:
    def __init__(self, w, h, fill=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def blend(self, x, y, c, a):
        if 0 <= x < self.w and 0 <= y < self.h and a > 0:
            self.px[y][x] = mix(self.px[y][x], c, a)

    def fill(self, x0, y0, x1, y1, c):
        """Fills x0 <= x < x1, y0 <= y < y1."""
        for y in range(max(0, y0), min(self.h, y1)):
            row = self.px[y]
            for x in range(max(0, x0), min(self.w, x1)):
                row[x] = c

    def hline(self, x0, x1, y, c, a=1.0):
        for x in range(x0, x1):
            self.blend(x, y, c, a)

    def vline(self, x, y0, y1, c, a=1.0):
        for y in range(y0, y1):
            self.blend(x, y, c, a)

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        for y in range(y0, y1):
            self.fill(x0, y, x1, y + 1, vgrad(top, bottom, y - y0, y1 - y0))

    def sub(self, x, y, w, h):
        out = Img(w, h)
        for j in range(h):
            out.px[j] = list(self.px[y + j][x:x + w])
        return out

    def blit(self, src, dx, dy, key=None):
        for j in range(src.h):
            for i in range(src.w):
                c = src.px[j][i]
                if key is not None and c == key:
                    continue
                self.set(dx + i, dy + j, c)

    def copy(self):
        out = Img(self.w, self.h)
        out.px = [list(r) for r in self.px]
        return out


# --------------------------------------------------------------------------
# Anti-aliased shapes: an inside test on real coordinates, sampled 4 x 4 per
# pixel. Pixel (x, y) covers x..x+1, y..y+1.

SS = 4
_OFFS = [(i + 0.5) / SS for i in range(SS)]


def coverage(inside, x, y):
    n = 0
    for oy in _OFFS:
        for ox in _OFFS:
            if inside(x + ox, y + oy):
                n += 1
    return n / (SS * SS)


def rrect(x0, y0, x1, y1, r):
    """Rounded rectangle x0..x1, y0..y1 (real edges) with corner radius r."""
    def inside(px, py):
        if px < x0 or px >= x1 or py < y0 or py >= y1:
            return False
        cx = x0 + r if px < x0 + r else (x1 - r if px > x1 - r else px)
        cy = y0 + r if py < y0 + r else (y1 - r if py > y1 - r else py)
        return (px - cx) ** 2 + (py - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda px, py: r0 * r0 <= (px - cx) ** 2 + (py - cy) ** 2 <= r1 * r1


def polygon(pts):
    def inside(px, py):
        res = False
        n = len(pts)
        j = n - 1
        for i in range(n):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > py) != (yj > py):
                if px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                    res = not res
            j = i
        return res
    return inside


def box(x0, y0, x1, y1):
    return lambda px, py: x0 <= px < x1 and y0 <= py < y1


def strokes(segs, w):
    """Union of round-capped segments ((x0, y0), (x1, y1)) of width w."""
    r2 = (w / 2) ** 2

    def inside(px, py):
        for (ax, ay), (bx, by) in segs:
            dx, dy = bx - ax, by - ay
            ll = dx * dx + dy * dy
            t = 0 if ll == 0 else max(0, min(1, ((px - ax) * dx + (py - ay) * dy) / ll))
            qx, qy = ax + t * dx - px, ay + t * dy - py
            if qx * qx + qy * qy <= r2:
                return True
        return False
    return inside


def union(*fs):
    return lambda px, py: any(f(px, py) for f in fs)


def minus(a, b):
    return lambda px, py: a(px, py) and not b(px, py)


def paint(img, inside, colour, bbox=None, alpha=1.0):
    """Blends colour (a tuple or a function of x, y) over the covered pixels."""
    x0, y0, x1, y1 = bbox if bbox else (0, 0, img.w, img.h)
    for y in range(max(0, y0), min(img.h, y1)):
        for x in range(max(0, x0), min(img.w, x1)):
            a = coverage(inside, x, y)
            if a > 0:
                c = colour(x, y) if callable(colour) else colour
                img.blend(x, y, c, a * alpha)


def cover_map(inside, w, h):
    return [[coverage(inside, x, y) for x in range(w)] for y in range(h)]


# --------------------------------------------------------------------------
# Pixel fonts. Small: 5 rows, for labels; Big: 7 rows, for titles.

SMALL = {
    'A': [".##.", "#..#", "####", "#..#", "#..#"],
    'B': ["###.", "#..#", "###.", "#..#", "###."],
    'C': [".###", "#...", "#...", "#...", ".###"],
    'D': ["###.", "#..#", "#..#", "#..#", "###."],
    'E': ["####", "#...", "###.", "#...", "####"],
    'F': ["####", "#...", "###.", "#...", "#..."],
    'G': [".###", "#...", "#.##", "#..#", ".###"],
    'H': ["#..#", "#..#", "####", "#..#", "#..#"],
    'I': ["###", ".#.", ".#.", ".#.", "###"],
    'K': ["#..#", "#.#.", "##..", "#.#.", "#..#"],
    'L': ["#...", "#...", "#...", "#...", "####"],
    'M': ["#...#", "##.##", "#.#.#", "#...#", "#...#"],
    'N': ["#..#", "##.#", "#.##", "#..#", "#..#"],
    'O': [".##.", "#..#", "#..#", "#..#", ".##."],
    'P': ["###.", "#..#", "###.", "#...", "#..."],
    'Q': [".##.", "#..#", "#..#", "#.#.", ".#.#"],
    'R': ["###.", "#..#", "###.", "#.#.", "#..#"],
    'S': [".###", "#...", ".##.", "...#", "###."],
    'T': ["###", ".#.", ".#.", ".#.", ".#."],
    'U': ["#..#", "#..#", "#..#", "#..#", ".##."],
    'V': ["#..#", "#..#", "#..#", ".##.", ".##."],
    'W': ["#...#", "#...#", "#.#.#", "##.##", "#...#"],
    'X': ["#..#", "#..#", ".##.", "#..#", "#..#"],
    'Y': ["#.#", "#.#", ".#.", ".#.", ".#."],
    'Z': ["####", "..#.", ".#..", "#...", "####"],
    '0': [".##.", "#..#", "#..#", "#..#", ".##."],
    '1': [".#", "##", ".#", ".#", ".#"],
    '2': ["###.", "...#", ".##.", "#...", "####"],
    '3': ["###.", "...#", ".##.", "...#", "###."],
    '4': ["#..#", "#..#", "####", "...#", "...#"],
    '5': ["####", "#...", "###.", "...#", "###."],
    '6': [".##.", "#...", "###.", "#..#", ".##."],
    '7': ["####", "...#", "..#.", ".#..", ".#.."],
    '8': [".##.", "#..#", ".##.", "#..#", ".##."],
    '9': [".##.", "#..#", ".###", "...#", ".##."],
    '+': ["...", ".#.", "###", ".#.", "..."],
    '-': ["...", "...", "###", "...", "..."],
    'd': ["...#", "...#", ".###", "#..#", ".###"],
    ' ': ["..", "..", "..", "..", ".."],
}

BIG = {
    'A': [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'D': ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    'E': ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    'I': ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    'L': ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    'N': ["#...#", "##..#", "##..#", "#.#.#", "#..##", "#..##", "#...#"],
    'P': ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    'Q': [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    'R': ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    'S': [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    'T': ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    'U': ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'V': ["#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."],
    'Y': ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    'Z': ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    'O': [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    ' ': ["..", "..", "..", "..", "..", "..", ".."],
}


def text_width(font, s, spacing=1):
    return sum(len(font[ch][0]) for ch in s) + spacing * (len(s) - 1)


def draw_text(img, font, s, x, y, colour, spacing=1, alpha=1.0):
    for ch in s:
        g = font[ch]
        for j, row in enumerate(g):
            for i, v in enumerate(row):
                if v == '#':
                    img.blend(x + i, y + j, colour, alpha)
        x += len(g[0]) + spacing
    return x


def centre_text(img, font, s, cx, y, colour, spacing=1):
    draw_text(img, font, s, cx - text_width(font, s, spacing) // 2, y, colour, spacing)


# Time display digits, 7 x 12, drawn into 9 x 16 glyph cells.
DIGITS = {
    '0': [".#####.", "#######", "##...##", "##...##", "##...##", "##...##",
          "##...##", "##...##", "##...##", "##...##", "#######", ".#####."],
    '1': ["...##..", "..###..", ".####..", "...##..", "...##..", "...##..",
          "...##..", "...##..", "...##..", "...##..", ".######", ".######"],
    '2': [".#####.", "#######", "##...##", ".....##", "....###", "..####.",
          ".###...", "###....", "##.....", "##.....", "#######", "#######"],
    '3': ["######.", "#######", ".....##", ".....##", ".....##", "..#####",
          "..#####", ".....##", ".....##", ".....##", "#######", "######."],
    '4': ["##...##", "##...##", "##...##", "##...##", "##...##", "#######",
          "#######", ".....##", ".....##", ".....##", ".....##", ".....##"],
    '5': ["#######", "#######", "##.....", "##.....", "######.", "#######",
          ".....##", ".....##", ".....##", ".....##", "#######", "######."],
    '6': [".######", "#######", "##.....", "##.....", "######.", "#######",
          "##...##", "##...##", "##...##", "##...##", "#######", ".#####."],
    '7': ["#######", "#######", ".....##", ".....##", "....##.", "...##..",
          "...##..", "..##...", "..##...", "..##...", "..##...", "..##..."],
    '8': [".#####.", "#######", "##...##", "##...##", "##...##", ".#####.",
          "#######", "##...##", "##...##", "##...##", "#######", ".#####."],
    '9': [".#####.", "#######", "##...##", "##...##", "##...##", "#######",
          ".######", ".....##", ".....##", ".....##", "#######", "######."],
    ':': [".......", ".......", ".......", "..##...", "..##...", ".......",
          ".......", ".......", "..##...", "..##...", ".......", "......."],
    '-': [".......", ".......", ".......", ".......", ".......", ".#####.",
          ".#####.", ".......", ".......", ".......", ".......", "......."],
}
TIME_CHARS = "0123456789:-"
GLYPH_W, GLYPH_H = 9, 16


# --------------------------------------------------------------------------
# Inputs.

class Cell:
    def __init__(self, sheet, band, column, w, h, name, use):
        self.sheet, self.band, self.column = sheet, band, column
        self.w, self.h, self.name, self.use = w, h, name, use
        self.x = self.y = 0


def read_cells(path):
    cells = []
    with open(path, encoding='ascii') as f:
        for n, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith('#'):
                continue
            parts = line.split(None, 5)
            if len(parts) < 6:
                sys.exit("%s:%d: expected sheet band column width height name" % (path, n))
            name, _, use = parts[5].partition(':')
            cells.append(Cell(parts[0], int(parts[1]), int(parts[2]), int(parts[3]),
                              int(parts[4]), name.strip(), use.strip()))
    return cells


def read_skin(path):
    """The description as {section: {key: value}}, names in lower case."""
    raw = open(path, 'rb').read()
    text = raw.decode('cp1252')
    out, section = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith('[') and line.endswith(']'):
            section = out.setdefault(line[1:-1].lower(), {})
        elif '=' in line and not line.startswith(';') and section is not None:
            k, _, v = line.partition('=')
            section[k.strip().lower()] = v.strip()
    return out


class Skin:
    def __init__(self, ini):
        self.ini = ini

    def point(self, section, key):
        x, y = self.ini[section.lower()][key.lower()].split(',')
        return int(x), int(y)

    def int(self, section, key):
        return int(self.ini[section.lower()][key.lower()])


# --------------------------------------------------------------------------
# Sheets.

SHEET_SIZES = {'MAIN': (309, 435), 'PL': (291, 200), 'EQ': (291, 268)}


def layout_sheet(name, cells, size=None):
    """Gives every cell its place; returns the band tops and heights."""
    w, h = size or SHEET_SIZES[name]
    mine = [c for c in cells if c.sheet == name]
    bands = sorted(set(c.band for c in mine))
    if bands != list(range(1, len(bands) + 1)):
        sys.exit("%s: bands must run 1..n without gaps" % name)
    y = 0
    tops = {}
    for b in bands:
        row = sorted((c for c in mine if c.band == b), key=lambda c: c.column)
        if [c.column for c in row] != list(range(1, len(row) + 1)):
            sys.exit("%s band %d: columns must run 1..n without gaps" % (name, b))
        height = row[0].h
        if any(c.h > height for c in row):
            sys.exit("%s band %d: the first cell must be the tallest" % (name, b))
        x = 0
        for c in row:
            c.x, c.y = x, y
            x += c.w + 1
        if x - 1 > w:
            sys.exit("%s band %d: %d pixels wide, the sheet has %d" % (name, b, x - 1, w))
        tops[b] = (y, height)
        y += height + 1
    if y - 1 > h:
        sys.exit("%s: %d rows needed, the sheet has %d" % (name, y - 1, h))
    return tops


def sheet_size(name, cells):
    """The least sheet that holds the cells of the table."""
    mine = [c for c in cells if c.sheet == name]
    bands = sorted(set(c.band for c in mine))
    w = max(sum(c.w + 1 for c in mine if c.band == b) - 1 for b in bands)
    h = sum(max(c.h for c in mine if c.band == b) + 1 for b in bands) - 1
    return w, h


def compose_sheet(name, cells, pictures, size=None):
    w, h = size or SHEET_SIZES[name]
    img = Img(w, h, FILLER)
    tops = layout_sheet(name, cells, (w, h))
    for c in (c for c in cells if c.sheet == name):
        pic = pictures[(name, c.name)]
        if (pic.w, pic.h) != (c.w, c.h):
            sys.exit("%s %s: drawn %dx%d, the table says %dx%d"
                     % (name, c.name, pic.w, pic.h, c.w, c.h))
        img.blit(pic, c.x, c.y)
    # Markers: column 0 closes each band; the band's first row closes each
    # cell on the right; the cell's first column closes it at the bottom.
    for b, (top, height) in tops.items():
        img.set(0, top + height, GREEN)
    for c in (c for c in cells if c.sheet == name):
        if c.x + c.w < w:
            img.set(c.x + c.w, c.y, GREEN)
        if c.y + c.h < h:
            img.set(c.x, c.y + c.h, GREEN)
    return img


# --------------------------------------------------------------------------
# Shared pieces: wells, buttons, knobs.

def well(img, x0, y0, x1, y1, inner=WELL, dark=WELL_DARK, light=WELL_LIGHT):
    """A slot pressed into the surface around x0..x1-1, y0..y1-1 (its inside).
    The edge is one pixel outside: dark above and left, light below and right."""
    img.fill(x0, y0, x1, y1, inner)
    img.hline(x0 - 1, x1, y0 - 1, dark)
    img.vline(x0 - 1, y0 - 1, y1, dark)
    img.hline(x0, x1 + 1, y1, light, 0.55)
    img.vline(x1, y0, y1 + 1, light, 0.55)
    img.hline(x0, x1, y0, shade(inner, -6))


BUTTON_FACES = {
    # state: (border, face top, face bottom, top highlight, glyph)
    'normal': (BORDER, (74, 80, 90), (54, 59, 67), (104, 111, 122), TEXT),
    'hot': (BORDER, (86, 93, 104), (63, 69, 78), (124, 132, 144), ACCENT_LIGHT),
    'pressed': (BORDER, (37, 41, 47), (49, 54, 61), (32, 35, 40), ACCENT),
    'checked': (BORDER, (33, 42, 54), (44, 57, 73), (28, 35, 44), ACCENT_LIGHT),
    'inactive': (BORDER, (60, 64, 71), (52, 56, 62), (72, 77, 85), (118, 124, 134)),
}


LIGHT_FACES = {
    'normal': ((188, 195, 204), (246, 247, 249), (226, 230, 235), (255, 255, 255), (84, 92, 104)),
    'hot': ((160, 180, 204), (250, 252, 255), (232, 240, 249), (255, 255, 255), ACCENT),
    'pressed': ((150, 160, 174), (206, 213, 222), (222, 227, 233), (190, 198, 208), ACCENT_DARK),
}


def button_frame(w, h, state, under, radius=3.0, glyph=None, faces=None):
    """One frame of a bitmap button: a rounded face on what lies under it
    (an Img of w x h), pure blue outside its shape. glyph(img, colour, dy)
    draws the symbol; pressed states pass dy = 1."""
    border, ftop, fbot, hi, gcol = (faces or BUTTON_FACES)[state]
    outer = rrect(0, 0, w, h, radius)
    inner = rrect(1, 1, w - 1, h - 1, max(0.5, radius - 1))
    img = Img(w, h)
    cov_o = cover_map(outer, w, h)
    cov_i = cover_map(inner, w, h)
    for y in range(h):
        face = vgrad(ftop, fbot, max(0, y - 1), h - 2)
        for x in range(w):
            # A corner pixel mostly outside is cut away rather than blended,
            # so that even small radii give the button a shape.
            if cov_o[y][x] < 0.4:
                img.px[y][x] = BLUE
                continue
            c = mix(under.get(x, y), border, cov_o[y][x])
            c = mix(c, face, cov_i[y][x])
            img.px[y][x] = c
    # The lit (or, pressed, shaded) top edge inside the border.
    for x in range(w):
        a = cov_i[1][x]
        if a > 0 and 1 < x < w - 2:
            img.blend(x, 1, hi, 0.9 * a)
    if state in ('pressed', 'checked'):
        for x in range(2, w - 2):
            img.blend(x, 2, hi, 0.5)
    if glyph:
        glyph(img, gcol, 1 if state in ('pressed', 'checked') else 0)
    return img


def stack(frames):
    w = frames[0].w
    h = sum(f.h for f in frames)
    out = Img(w, h)
    y = 0
    for f in frames:
        out.blit(f, 0, y)
        y += f.h
    return out


def side_by_side(frames):
    w = sum(f.w for f in frames)
    h = frames[0].h
    out = Img(w, h)
    x = 0
    for f in frames:
        out.blit(f, x, 0)
        x += f.w
    return out


def push_button(w, h, under, glyph, radius=3.0, states=('normal', 'hot', 'pressed'), faces=None):
    return stack([button_frame(w, h, s, under, radius, glyph, faces) for s in states])


def toggle_button(w, h, under, glyph, radius=3.0):
    """Check buttons: normal, held (drawn while the press lasts), checked."""
    return stack([button_frame(w, h, s, under, radius, glyph)
                  for s in ('normal', 'pressed', 'checked')])


def led(img, x, y, on):
    """A 5 x 3 indicator lamp at x, y."""
    if on:
        img.fill(x, y, x + 5, y + 3, ACCENT)
        img.hline(x + 1, x + 4, y, ACCENT_LIGHT)
        img.hline(x, x + 5, y + 1, (130, 195, 245), 0.6)
        img.hline(x - 1, x + 6, y + 3, ACCENT, 0.25)
    else:
        img.fill(x, y, x + 5, y + 3, (24, 27, 31))
        img.hline(x, x + 5, y + 3, (90, 97, 108), 0.5)


def knob(d, under_fn, pressed):
    """A round thumb d x d, pure blue outside; under_fn(x, y) is what the
    thumb mostly covers (for the soft edge)."""
    img = Img(d, d)
    r = d / 2
    outer = circle(r, r, r)
    inner = circle(r, r, r - 1)
    cov_o = cover_map(outer, d, d)
    cov_i = cover_map(inner, d, d)
    if pressed:
        top, bot = (150, 205, 248), (70, 128, 190)
    else:
        top, bot = (214, 220, 228), (146, 154, 166)
    for y in range(d):
        face = vgrad(top, bot, y, d)
        for x in range(d):
            if cov_o[y][x] < 0.25:
                img.px[y][x] = BLUE
                continue
            c = mix(under_fn(x, y), BORDER, min(1, cov_o[y][x] * 1.2))
            c = mix(c, face, cov_i[y][x])
            img.px[y][x] = c
    dot = circle(r, r, max(1.0, d / 6))
    paint(img, dot, (255, 255, 255) if pressed else ACCENT, (0, 0, d, d))
    return img


def pill_thumb(w, h, under_fn, pressed):
    """A flat rounded thumb with a grip line, pure blue outside."""
    img = Img(w, h)
    outer = rrect(0, 0, w, h, min(w, h) / 2 - 0.5)
    inner = rrect(1, 1, w - 1, h - 1, min(w, h) / 2 - 1.5)
    cov_o = cover_map(outer, w, h)
    cov_i = cover_map(inner, w, h)
    if pressed:
        top, bot = (150, 205, 248), (70, 128, 190)
        grip = (40, 80, 130)
    else:
        top, bot = (214, 220, 228), (146, 154, 166)
        grip = (98, 106, 118)
    for y in range(h):
        face = vgrad(top, bot, y, h)
        for x in range(w):
            if cov_o[y][x] < 0.25:
                img.px[y][x] = BLUE
                continue
            c = mix(under_fn(x, y), BORDER, min(1, cov_o[y][x] * 1.2))
            c = mix(c, face, cov_i[y][x])
            img.px[y][x] = c
    cy = h // 2
    img.hline(3, w - 3, cy - 1 if h % 2 == 0 else cy, grip, 0.85)
    return img


# --------------------------------------------------------------------------
# Glyphs of the transport and title buttons; each draws centred on its frame.

def g_play(img, col, dy):
    cx, cy = img.w / 2 + 1, img.h / 2 + dy
    paint(img, polygon([(cx - 4, cy - 5), (cx + 5, cy), (cx - 4, cy + 5)]), col)


def g_pause(img, col, dy):
    cx, cy = img.w // 2, img.h // 2 - 5 + dy
    img.fill(cx - 4, cy, cx - 1, cy + 10, col)
    img.fill(cx + 1, cy, cx + 4, cy + 10, col)


def g_stop(img, col, dy):
    cx, cy = img.w // 2, img.h // 2 - 4 + dy
    img.fill(cx - 4, cy, cx + 4, cy + 8, col)


def g_prev(img, col, dy):
    cx, cy = img.w / 2, img.h / 2 + dy
    x0 = int(cx) - 6
    img.fill(x0, int(cy) - 4, x0 + 2, int(cy) + 4, col)
    paint(img, polygon([(x0 + 2, cy), (x0 + 7.5, cy - 4.5), (x0 + 7.5, cy + 4.5)]), col)
    paint(img, polygon([(x0 + 7, cy), (x0 + 12.5, cy - 4.5), (x0 + 12.5, cy + 4.5)]), col)


def g_next(img, col, dy):
    cx, cy = img.w / 2, img.h / 2 + dy
    x1 = int(cx) + 6
    img.fill(x1 - 2, int(cy) - 4, x1, int(cy) + 4, col)
    paint(img, polygon([(x1 - 2, cy), (x1 - 7.5, cy - 4.5), (x1 - 7.5, cy + 4.5)]), col)
    paint(img, polygon([(x1 - 7, cy), (x1 - 12.5, cy - 4.5), (x1 - 12.5, cy + 4.5)]), col)


def g_eject(img, col, dy):
    cx, cy = img.w / 2, img.h / 2 + dy
    paint(img, polygon([(cx - 5.5, cy + 1), (cx, cy - 5), (cx + 5.5, cy + 1)]), col)
    img.fill(int(cx) - 5, int(cy) + 3, int(cx) + 6, int(cy) + 5, col)


def g_close(img, col, dy):
    cx, cy = img.w / 2, img.h / 2 + dy
    paint(img, strokes([((cx - 3, cy - 3), (cx + 3, cy + 3)),
                        ((cx - 3, cy + 3), (cx + 3, cy - 3))], 1.6), col)


def g_minimise(img, col, dy):
    cx, cy = img.w // 2, img.h // 2 + dy
    img.fill(cx - 4, cy + 2, cx + 4, cy + 4, col)


def g_menu(img, col, dy):
    cx, cy = img.w // 2, img.h // 2 - 3 + dy
    for k in range(3):
        img.fill(cx - 4, cy + 3 * k, cx + 5, cy + 3 * k + 1, col)
    img.hline(cx - 4, cx + 5, cy + 1, col, 0.25)


def g_label(text, led_at=None):
    def draw(img, col, dy):
        tw = text_width(SMALL, text)
        extra = 7 if led_at else 0
        x = (img.w - tw - extra) // 2 + extra
        y = (img.h - 5) // 2 + dy
        draw_text(img, SMALL, text, x, y, col)
        if led_at:
            # The lamp is lit only on the checked frame, whose glyph colour
            # is the light accent.
            led(img, x - 8, y + 1, col == ACCENT_LIGHT)
    return draw


def g_repeat(img, col, dy):
    cx, cy = img.w / 2, img.h / 2 + dy
    loop = minus(rrect(cx - 7, cy - 4.5, cx + 7, cy + 4.5, 3.5),
                 rrect(cx - 5.5, cy - 3, cx + 5.5, cy + 3, 2))
    gaps = union(box(cx - 1, cy - 5, cx + 3, cy - 2), box(cx - 3, cy + 2, cx + 1, cy + 5))
    paint(img, minus(loop, gaps), col)
    paint(img, polygon([(cx - 1, cy - 7), (cx + 2.5, cy - 3.75), (cx - 1, cy - 0.5)]), col)
    paint(img, polygon([(cx + 1, cy + 0.5), (cx - 2.5, cy + 3.75), (cx + 1, cy + 7)]), col)


def g_shuffle(img, col, dy):
    cx, cy = img.w / 2, img.h / 2 + dy
    w = 1.5
    paint(img, strokes([((cx - 7, cy - 3), (cx - 3, cy - 3)), ((cx - 3, cy - 3), (cx + 2, cy + 3)),
                        ((cx + 2, cy + 3), (cx + 4, cy + 3)),
                        ((cx - 7, cy + 3), (cx - 3, cy + 3)), ((cx - 3, cy + 3), (cx + 2, cy - 3)),
                        ((cx + 2, cy - 3), (cx + 4, cy - 3))], w), col)
    paint(img, polygon([(cx + 4, cy - 6), (cx + 7.5, cy - 3), (cx + 4, cy)]), col)
    paint(img, polygon([(cx + 4, cy), (cx + 7.5, cy + 3), (cx + 4, cy + 6)]), col)


# --------------------------------------------------------------------------
# The main window.

class MainLayout:
    def __init__(self, skin, cells):
        def cell(n):
            return next(c for c in cells if c.sheet == 'MAIN' and c.name == n)
        self.title_h = cell('TitleActive').h
        bg = cell('Background')
        self.w, self.h = bg.w, bg.h + self.title_h
        P = lambda k: skin.point('MWPositions', k)
        S = lambda k: skin.point('MWSizes', k)
        self.pos = {k: P(k) for k in skin.ini['mwpositions']}
        self.song = P('SongLabel') + S('SongLabel')
        self.rate = P('RateLabel') + S('RateLabel')
        self.time = P('TimeLabel') + S('TimeLabel')
        self.vis = P('VisWindow') + S('VisWindow')
        st = cell('PlayState')
        self.state = P('PlayState') + (st.w // 3, st.h)
        vr = cell('VolumeRuler')
        self.vertical_volume = skin.int('MWFlags', 'VerticalVolumeBar') != 0
        length = skin.int('MWSizes', 'VolumeBar')
        self.volume = P('VolumeBar') + ((vr.w, length) if self.vertical_volume else (length, vr.h))
        sr = cell('SeekRuler')
        self.seek = P('SeekingBar') + (skin.int('MWSizes', 'SeekingBar'), sr.h)
        frames = {'EQToggle': ('EQBut', 3), 'PLToggle': ('PLBut', 3),
                  'ShuffleToggle': ('ShuffleToggle', 3), 'RepeatToggle': ('RepeatToggle', 3),
                  'RewindBut': ('Rev', 3), 'PlayBut': ('Play', 3), 'PauseBut': ('Pause', 3),
                  'StopBut': ('Stop', 3), 'ForwardBut': ('Fwd', 3), 'OpenBut': ('Open', 3),
                  'AboutBut': ('AboutBut', 3), 'MenuBut': ('MainMenuBut', 4),
                  'MinimizeBut': ('MinimizeBut', 4), 'CloseBut': ('CloseBut', 4)}
        self.buttons = {}
        for key, (name, n) in frames.items():
            c = cell(name)
            x, y = P(key)
            self.buttons[name] = (x, y, c.w, c.h // n)
        for name, (x, y, w, h) in self.buttons.items():
            if x < 0 or y < 0 or x + w > self.w or y + h > self.h:
                sys.exit("main window: %s at %d,%d (%dx%d) leaves the window" % (name, x, y, w, h))


def body_colour(y, h):
    return vgrad(BODY_TOP, BODY_BOT, y, h)


def draw_frame_edges(img, y0):
    """The window's outer border and inner bevel below row y0."""
    w, h = img.w, img.h
    img.vline(0, y0, h, BORDER)
    img.vline(w - 1, y0, h, BORDER)
    img.hline(0, w, h - 1, BORDER)
    img.vline(1, y0, h - 1, HILITE, 0.45)
    img.vline(w - 2, y0, h - 1, (0, 0, 0), 0.25)
    img.hline(1, w - 1, h - 2, (0, 0, 0), 0.3)


def draw_title(img, w, h, text, active, slots):
    """A title bar across img's top h rows: the name centred between engraved
    grooves, and slots (x, y, w, h) for its buttons."""
    top = (70, 76, 86) if active else (58, 62, 69)
    bot = (50, 55, 62) if active else (46, 49, 55)
    img.vgradient(0, 0, w, h, top, bot)
    img.hline(0, w, 0, BORDER)
    img.hline(1, w - 1, 1, (120, 128, 140) if active else (84, 89, 97), 0.7)
    img.vline(0, 0, h, BORDER)
    img.vline(w - 1, 0, h, BORDER)
    img.vline(1, 1, h, HILITE, 0.45)
    img.hline(0, w, h - 1, (24, 26, 30))
    for (x, y, bw, bh) in slots:
        well(img, x, y, x + bw, y + bh, inner=shade(bot, -14))
    tw = text_width(BIG, text, 2)
    tx = (w - tw) // 2
    ty = (h - 7) // 2
    left = max([x + bw for (x, y, bw, bh) in slots if x + bw <= tx] + [0]) + 6
    right = min([x for (x, y, bw, bh) in slots if x >= tx + tw] + [w]) - 6
    dot = ACCENT if active else (86, 92, 102)
    for gy in (ty + 1, ty + 4):
        for x0, x1 in ((left, tx - 9), (tx + tw + 9, right)):
            img.hline(x0, x1, gy, (0, 0, 0), 0.35)
            img.hline(x0, x1, gy + 1, (255, 255, 255), 0.07)
    for x in (tx - 7, tx + tw + 5):
        img.fill(x, ty + 2, x + 2, ty + 5, dot)
    if active:
        draw_text(img, BIG, text, tx, ty + 1, (20, 22, 26), 2, 0.7)
    draw_text(img, BIG, text, tx, ty, TEXT if active else TEXT_DIM, 2)


def draw_lcd(img, x0, y0, x1, y1):
    """The pale display panel; x0..x1-1, y0..y1-1 is its face."""
    img.vgradient(x0, y0, x1, y1, LCD_TOP, LCD_BOT)
    img.hline(x0 - 1, x1 + 1, y0 - 1, WELL_DARK)
    img.vline(x0 - 1, y0 - 1, y1 + 1, WELL_DARK)
    img.hline(x0 - 1, x1 + 1, y1, WELL_LIGHT, 0.6)
    img.vline(x1, y0 - 1, y1 + 1, WELL_LIGHT, 0.6)
    img.hline(x0, x1, y0, LCD_EDGE, 0.8)
    img.vline(x0, y0, y1, LCD_EDGE, 0.5)


def draw_screen(img, x0, y0, x1, y1):
    img.vgradient(x0, y0, x1, y1, SCREEN_TOP, SCREEN_BOT)
    img.hline(x0 - 1, x1 + 1, y0 - 1, WELL_DARK)
    img.vline(x0 - 1, y0 - 1, y1 + 1, WELL_DARK)
    img.hline(x0 - 1, x1 + 1, y1, WELL_LIGHT, 0.6)
    img.vline(x1, y0 - 1, y1 + 1, WELL_LIGHT, 0.6)
    img.hline(x0, x1, y0, (20, 26, 34), 0.8)


def draw_vis_panel(img, x0, y0, x1, y1):
    """The visualisation's panel on the screen; x0..x1-1, y0..y1-1 is its
    face, exactly the area the visualisation copies as its background."""
    img.vgradient(x0, y0, x1, y1, VIS_TOP, VIS_BOT)
    # Faint grid: a level line every 5 rows up from the bottom, eighths across.
    # Crossings are not darkened twice, so black keeps its contrast there too.
    levels = range(y1 - 5, y0 + 1, -5)
    for gy in levels:
        img.hline(x0 + 1, x1, gy, VIS_GRID, 0.12)
    for k in range(1, 8):
        for gy in range(y0 + 1, y1):
            if gy not in levels:
                img.blend(x0 + (x1 - x0) * k // 8, gy, VIS_GRID, 0.1)
    # The inner shadow spans whole rows: the time digits sample this area's
    # top rows for their cells' backgrounds, one colour a row.
    img.hline(x0, x1, y0, VIS_SHADOW, 0.16)
    img.vline(x0, y0 + 1, y1, VIS_SHADOW, 0.12)
    img.hline(x0 - 1, x1 + 1, y0 - 1, WELL_DARK, 0.8)
    img.vline(x0 - 1, y0 - 1, y1 + 1, WELL_DARK, 0.8)
    img.hline(x0 - 1, x1 + 1, y1, WELL_LIGHT, 0.5)
    img.vline(x1, y0 - 1, y1 + 1, WELL_LIGHT, 0.5)


def main_window(L, active=True):
    """The whole main window as drawn under its controls, title included."""
    w, h, th = L.w, L.h, L.title_h
    img = Img(w, h)
    for y in range(th, h):
        img.fill(0, y, w, y + 1, body_colour(y - th, h - th))
    img.hline(1, w - 1, th, HILITE, 0.8)
    draw_frame_edges(img, th)
    b = L.buttons
    slots = [b[n] for n in ('MainMenuBut', 'MinimizeBut', 'CloseBut')]
    draw_title(img, w, th, "TAVRIN", active, slots)

    # The pale strip under the song title and the bit-rate line.
    sx, sy, sw, sh = L.song
    rx, ry, rw, rh = L.rate
    x0 = min(sx, rx) - 4
    x1 = min(w - 4, max(sx + sw, rx + rw))
    y0 = min(sy, ry) - 3
    y1 = max(sy + sh, ry + rh) + 2
    draw_lcd(img, x0, y0, x1, y1)
    div = (sx + sw + rx) // 2
    img.vline(div, y0 + 3, y1 - 3, LCD_EDGE, 0.9)
    img.vline(div + 1, y0 + 3, y1 - 3, (255, 255, 255), 0.5)

    # The screen under the time display, the play state and the spectrum.
    tx, ty, tw_, thh = L.time
    vx, vy, vw, vh = L.vis
    px, py, pw, ph = L.state
    x0 = min(tx, vx, px) - 4
    x1 = max(tx + tw_, vx + vw, px + pw) + 4
    y0 = min(ty, vy, py) - 4
    y1 = max(ty + thh, vy + vh, py + ph) + 4
    draw_screen(img, x0, y0, x1, y1)
    draw_vis_panel(img, vx, vy, vx + vw, vy + vh)

    # Slots under the sliders.
    x, y, sw_, sh_ = L.volume
    if L.vertical_volume:
        well(img, x, y, x + sw_, y + sh_)
    else:
        img.hline(x + 2, x + sw_ - 2, y + sh_ + 1, WELL_LIGHT, 0.25)
    x, y, sw_, sh_ = L.seek
    img.hline(x + 2, x + sw_ - 2, y + sh_ + 1, WELL_LIGHT, 0.25)

    # Slots under the buttons: the transport row shares one.
    tr = [b[n] for n in ('Rev', 'Stop', 'Play', 'Pause', 'Fwd')]
    x0 = min(t[0] for t in tr) - 2
    x1 = max(t[0] + t[2] for t in tr) + 2
    y0 = min(t[1] for t in tr) - 2
    y1 = max(t[1] + t[3] for t in tr) + 2
    well(img, x0, y0, x1, y1)
    for n in ('Open', 'EQBut', 'PLBut', 'ShuffleToggle', 'RepeatToggle', 'AboutBut'):
        x, y, bw, bh = b[n]
        well(img, x - 1, y - 1, x + bw + 1, y + bh + 1)

    # A speaker grille where the about button leaves room.
    ax, ay, aw, ah = b['AboutBut']
    gx0, gx1 = ax + 2, ax + aw - 2
    gy0 = ay + ah + 5
    gy1 = min(y0 - 6, L.seek[1] - 6)
    for gy in range(gy0, gy1, 3):
        for gx in range(gx0 + (1 if (gy - gy0) % 6 else 0), gx1, 3):
            img.set(gx, gy, (26, 28, 32))
            img.blend(gx, gy + 1, WELL_LIGHT, 0.5)

    # A speaker beside the foot of the volume bar, where the transport row
    # leaves room.
    if not L.vertical_volume:
        return img
    vx_end = L.volume[0] + L.volume[2]
    cx = (vx_end + tr[0][0]) // 2
    cy = tr[0][1] + tr[0][3] // 2
    spk = union(box(cx - 7, cy - 2, cx - 4, cy + 2),
                polygon([(cx - 4.5, cy - 2), (cx - 0.5, cy - 5.5), (cx - 0.5, cy + 5.5), (cx - 4.5, cy + 2)]))
    waves = union(minus(ring(cx - 1, cy, 3, 4.2), lambda px, py: px < cx + 1),
                  minus(ring(cx - 1, cy, 5.6, 6.8), lambda px, py: px < cx + 1.5))
    paint(img, spk, WELL_LIGHT, (cx - 9, cy - 8, cx + 9, cy + 9), 0.35)
    paint(img, spk, TEXT_ENGRAVED, (cx - 9, cy - 8, cx + 9, cy + 8))
    paint(img, waves, TEXT_ENGRAVED, (cx - 9, cy - 8, cx + 9, cy + 8))
    return img


def under_of(window, x, y, w, h):
    return window.sub(x, y, w, h)


def main_pictures(L, skin, cells):
    pics = {}
    win = main_window(L, True)
    win_i = main_window(L, False)
    th = L.title_h
    pics[('MAIN', 'TitleActive')] = win.sub(0, 0, L.w, th)
    pics[('MAIN', 'TitleInactive')] = win_i.sub(0, 0, L.w, th)
    pics[('MAIN', 'Background')] = win.sub(0, th, L.w, L.h - th)
    b = L.buttons

    def under(n, src=win):
        x, y, w, h = b[n]
        return under_of(src, x, y, w, h)

    glyphs = {'Rev': g_prev, 'Play': g_play, 'Pause': g_pause, 'Stop': g_stop,
              'Fwd': g_next, 'Open': g_eject}
    for n, g in glyphs.items():
        x, y, w, h = b[n]
        pics[('MAIN', n)] = push_button(w, h, under(n), g)

    def about_glyph(img, col, dy):
        cy = img.h / 2 + dy
        r = 5.5
        cx = 10
        paint(img, ring(cx, cy, r - 1.5, r), col)
        img.fill(cx - 1, int(cy) - 1, cx + 1, int(cy) + 3, col)
        img.fill(cx - 1, int(cy) - 3, cx + 1, int(cy) - 2, col)
        draw_text(img, SMALL, "ABOUT", 18, int(cy) - 2, col)
    x, y, w, h = b['AboutBut']
    pics[('MAIN', 'AboutBut')] = push_button(w, h, under('AboutBut'), about_glyph)

    for n, g in (('CloseBut', g_close), ('MinimizeBut', g_minimise), ('MainMenuBut', g_menu)):
        x, y, w, h = b[n]
        pics[('MAIN', n)] = stack(
            [button_frame(w, h, s, under_of(win if s != 'inactive' else win_i, x, y, w, h), 2.5, g)
             for s in ('normal', 'hot', 'pressed', 'inactive')])

    for n, g in (('EQBut', g_label("EQ", True)), ('PLBut', g_label("PL", True)),
                 ('RepeatToggle', g_repeat), ('ShuffleToggle', g_shuffle)):
        x, y, w, h = b[n]
        pics[('MAIN', n)] = toggle_button(w, h, under(n), g)

    # The play state: play, pause, stop, on the screen.
    x, y, w, h = L.state
    frames = []
    for kind in ('play', 'pause', 'stop'):
        f = under_of(win, x, y, w, h)
        cx, cy = w / 2, h / 2
        if kind == 'play':
            paint(f, polygon([(cx - 3.5, cy - 5), (cx + 5, cy), (cx - 3.5, cy + 5)]), ACCENT_LIGHT)
        elif kind == 'pause':
            f.fill(int(cx) - 4, int(cy) - 5, int(cx) - 1, int(cy) + 5, ACCENT_LIGHT)
            f.fill(int(cx) + 1, int(cy) - 5, int(cx) + 4, int(cy) + 5, ACCENT_LIGHT)
        else:
            f.fill(int(cx) - 4, int(cy) - 4, int(cx) + 4, int(cy) + 4, (120, 140, 160))
        frames.append(f)
    pics[('MAIN', 'PlayState')] = side_by_side(frames)

    # Seek bar: ruler and progress tiled from 5-pixel ends and an 8-pixel middle.
    sx, sy, sw, sh = L.seek
    ruler_c = next(c for c in cells if c.sheet == 'MAIN' and c.name == 'SeekRuler')
    rows = [win.get(sx + 20, sy + j) for j in range(sh)]
    pics[('MAIN', 'SeekRuler')] = h_groove(ruler_c.w, sh, rows, False)
    pics[('MAIN', 'SeekProgress')] = h_groove(ruler_c.w, sh, rows, True)
    d = sh
    pics[('MAIN', 'SeekThumb')] = side_by_side(
        [knob(d, lambda i, j: rows[j], p) for p in (False, True)])

    vx, vy, vw, vh = L.volume
    vr = next(c for c in cells if c.sheet == 'MAIN' and c.name == 'VolumeRuler')
    if L.vertical_volume:
        inner = win.get(vx + 1, vy + 10)
        pics[('MAIN', 'VolumeRuler')] = v_groove(vw, vr.h, inner, False)
        pics[('MAIN', 'VolumeProgress')] = v_groove(vw, vr.h, inner, True)
        pics[('MAIN', 'VolumeThumb')] = side_by_side(
            [knob(vw, lambda i, j: inner, p) for p in (False, True)])
    else:
        vrows = [win.get(vx + vw // 2, vy + j) for j in range(vh)]
        pics[('MAIN', 'VolumeRuler')] = h_groove(vr.w, vh, vrows, False)
        pics[('MAIN', 'VolumeProgress')] = h_groove(vr.w, vh, vrows, True)
        pics[('MAIN', 'VolumeThumb')] = side_by_side(
            [knob(vh, lambda i, j: vrows[j], p) for p in (False, True)])

    # Time digits on the screen's colour at the time display's rows.
    tx, ty, tw_, thh = L.time
    strip = Img(GLYPH_W * 12, GLYPH_H)
    for j in range(GLYPH_H):
        strip.fill(0, j, strip.w, j + 1, win.get(tx + tw_ // 2, ty + j))
    for k, ch in enumerate(TIME_CHARS):
        g = DIGITS[ch]
        ox, oy = k * GLYPH_W + 1, (GLYPH_H - len(g)) // 2
        for j, row in enumerate(g):
            col = mix(ACCENT_LIGHT, (120, 180, 235), j / (len(g) - 1))
            for i, v in enumerate(row):
                if v == '#':
                    strip.set(ox + i, oy + j, col)
    pics[('MAIN', 'TimeGlyphs')] = strip
    return pics, win


def h_groove(w, h, rows, filled, light=False):
    """A horizontal slider track w x h on a background of rows (one colour a
    row); the groove runs the whole length with rounded 5-pixel ends, so the
    picture tiles from columns 5..12."""
    img = Img(w, h)
    for j in range(h):
        img.fill(0, j, w, j + 1, rows[j])
    gh = 4 if h >= 10 else 3
    g0 = (h - gh) // 2
    shape = rrect(1, g0, w - 1, g0 + gh, gh / 2)
    if light:
        edge, inside, hi = (172, 181, 192), (212, 218, 225), (255, 255, 255)
    else:
        edge, inside, hi = WELL_DARK, (26, 29, 33), WELL_LIGHT
    paint(img, rrect(0.5, g0 - 0.5, w - 0.5, g0 + gh + 0.5, gh / 2 + 0.5), edge, alpha=0.8)
    if filled:
        paint(img, shape, lambda x, y: mix(ACCENT_LIGHT, ACCENT_DARK, (y - g0) / max(1, gh - 1)))
    else:
        paint(img, shape, inside)
    img.hline(2, w - 2, g0 + gh + 1, hi, 0.35)
    return img


def v_groove(w, h, bg, filled, light=False):
    """The vertical track; bg is a colour or an Img of w x h."""
    if isinstance(bg, Img):
        img = bg.copy()
    else:
        img = Img(w, h, bg)
    gw = 4
    g0 = (w - gw) // 2
    shape = rrect(g0, 1, g0 + gw, h - 1, gw / 2)
    if light:
        edge, inside, hi = (172, 181, 192), (212, 218, 225), (255, 255, 255)
    else:
        edge, inside, hi = WELL_DARK, (26, 29, 33), WELL_LIGHT
    paint(img, rrect(g0 - 0.5, 0.5, g0 + gw + 0.5, h - 0.5, gw / 2 + 0.5), edge, alpha=0.8)
    if filled:
        paint(img, shape, lambda x, y: mix(ACCENT_LIGHT, ACCENT_DARK, (x - g0) / max(1, gw - 1)))
    else:
        paint(img, shape, inside)
    img.vline(g0 + gw + 1, 2, h - 2, hi, 0.3)
    return img


# --------------------------------------------------------------------------
# The playlist window: frame pieces that tile, buttons and the scroll bar.

PL_SIDE = (50, 55, 62)


def cell_of(cells, sheet, name):
    return next(c for c in cells if c.sheet == sheet and c.name == name)


def pl_title(w, h, active, close_w, close_h, close_pos):
    img = Img(w, h)
    cx, cy = close_pos  # from the top-right corner
    draw_title(img, w, h, "PLAYLIST", active, [(w - cx - close_w, cy, close_w, close_h)])
    # The list's sunken frame starts on the bar's last row.
    img.hline(4, w - 4, h - 1, (22, 24, 28))
    return img


def pl_bottom(w, h):
    img = Img(w, h)
    img.vgradient(0, 0, w, h, (54, 59, 67), (42, 46, 53))
    img.vline(0, 0, h, BORDER)
    img.vline(w - 1, 0, h, BORDER)
    img.vline(1, 0, h - 1, HILITE, 0.45)
    img.hline(0, w, h - 1, BORDER)
    img.hline(1, w - 1, h - 2, (0, 0, 0), 0.3)
    img.hline(4, w - 4, 0, WELL_LIGHT, 0.8)       # the list frame's lit lower edge
    img.hline(2, w - 2, 1, (0, 0, 0), 0.25)
    # The sizing grip in the bottom-right corner.
    for k in range(4):
        for j in range(k + 1):
            x = w - 5 - 3 * (k - j)
            y = h - 5 - 3 * j
            img.set(x, y, (110, 118, 130))
            img.set(x + 1, y + 1, (24, 26, 30))
    return img


def pl_side(w, h, left):
    img = Img(w, h, PL_SIDE)
    cols = [BORDER, shade(PL_SIDE, 20), PL_SIDE, PL_SIDE, (22, 24, 28)] if left else \
           [WELL_LIGHT, PL_SIDE, PL_SIDE, shade(PL_SIDE, -8), BORDER]
    for x, c in enumerate(cols[:w]):
        img.fill(x, 0, x + 1, h, c)
    return img


def scroll_thumb(w, h, pressed, list_bg=LIST_BG):
    img = Img(w, h, BLUE)
    shape = rrect(2, 0, w - 2, h, (w - 4) / 2)
    body = rrect(3, 1, w - 3, h - 1, (w - 6) / 2)
    if pressed:
        edge, top, bot = ACCENT_DARK, ACCENT_LIGHT, ACCENT
    else:
        edge, top, bot = (92, 100, 112), (150, 158, 170), (118, 126, 138)
    cov_o = cover_map(shape, w, h)
    cov_i = cover_map(body, w, h)
    for y in range(h):
        for x in range(w):
            if cov_o[y][x] < 0.25:
                continue
            c = mix(list_bg, edge, min(1, cov_o[y][x] * 1.2))
            img.px[y][x] = mix(c, mix(top, bot, (x - 3) / max(1, w - 7)), cov_i[y][x])
    grip = (70, 78, 90) if not pressed else (40, 80, 130)
    for k in (-3, 0, 3):
        img.hline(4, w - 4, h // 2 + k, grip, 0.7)
        img.hline(4, w - 4, h // 2 + k + 1, (255, 255, 255), 0.25)
    return img


def g_arrow(up):
    def draw(img, col, dy):
        cx, cy = img.w / 2, img.h / 2 + dy
        if up:
            paint(img, polygon([(cx - 3.5, cy + 2), (cx, cy - 2), (cx + 3.5, cy + 2)]), col)
        else:
            paint(img, polygon([(cx - 3.5, cy - 2), (cx, cy + 2), (cx + 3.5, cy - 2)]), col)
    return draw


def pl_pictures(skin, cells, list_bg=LIST_BG):
    """list_bg: the rows' colour, which the scroll bar stands on."""
    light = sum(list_bg) > 3 * 128
    pics = {}
    t = cell_of(cells, 'PL', 'TitleActive')
    close = cell_of(cells, 'PL', 'CloseBut')
    cw, ch = close.w, close.h // 4
    cpos = skin.point('PLPositions', 'CloseBut')
    if skin.int('PLPositions', 'CloseButAlign') != 3:
        sys.exit("the playlist's close button is drawn for the top-right corner")
    ta = pl_title(t.w, t.h, True, cw, ch, cpos)
    ti = pl_title(t.w, t.h, False, cw, ch, cpos)
    pics[('PL', 'TitleActive')] = ta
    pics[('PL', 'TitleInactive')] = ti
    # dsComplex draws the ends once and repeats the fillers, so each filler
    # must be the same in every column.
    e, m = skin.point('PLSizes', 'TitleEdgeSize')
    for img in (ta, ti):
        for x0 in (e, t.w - e - m):
            for x in range(x0 + 1, x0 + m):
                if [img.get(x, y) for y in range(t.h)] != [img.get(x0, y) for y in range(t.h)]:
                    sys.exit("playlist title: filler column %d differs" % x)
    bc = cell_of(cells, 'PL', 'Bottom')
    bottom = pl_bottom(bc.w, bc.h)
    pics[('PL', 'Bottom')] = bottom

    x = t.w - cpos[0] - cw
    pics[('PL', 'CloseBut')] = stack(
        [button_frame(cw, ch, s, (ta if s != 'inactive' else ti).sub(x, cpos[1], cw, ch), 2.5, g_close)
         for s in ('normal', 'hot', 'pressed', 'inactive')])

    labels = {'AddBut': "ADD", 'DelBut': "REM", 'SelBut': "SEL", 'MiscBut': "MISC", 'LoadBut': "LIST"}
    for n, text in labels.items():
        c = cell_of(cells, 'PL', n)
        bw, bh = c.w, c.h // 3
        px, py = skin.point('PLPositions', n)
        if skin.int('PLPositions', n + 'Align') not in (2, 4) or py + bh > bc.h:
            sys.exit("playlist: %s must sit on the bottom bar" % n)
        under = bottom.sub(bc.w // 2 - bw // 2, bc.h - py - bh, bw, bh)
        pics[('PL', n)] = push_button(bw, bh, under, g_label(text))

    r = cell_of(cells, 'PL', 'ScrollRuler')
    pics[('PL', 'ScrollRuler')] = v_groove(r.w, r.h, list_bg, False, light=light)
    th = cell_of(cells, 'PL', 'ScrollThumb')
    pics[('PL', 'ScrollThumb')] = side_by_side(
        [scroll_thumb(th.w // 2, th.h, p, list_bg) for p in (False, True)])
    for n, up in (('MoveUpBut', True), ('MoveDownBut', False)):
        c = cell_of(cells, 'PL', n)
        bw, bh = c.w, c.h // 3
        pics[('PL', n)] = push_button(bw, bh, Img(bw, bh, list_bg), g_arrow(up), 2.0,
                                      faces=LIGHT_FACES if light else BUTTON_FACES)
    for n, left in (('LeftSide', True), ('RightSide', False)):
        c = cell_of(cells, 'PL', n)
        pics[('PL', n)] = pl_side(c.w, c.h, left)
    return pics


# --------------------------------------------------------------------------
# The equaliser window.

EQ_FREQS = ["80", "170", "310", "600", "1K", "3K", "6K", "10K", "12K", "14K"]
EQ_PANEL = (33, 37, 43)


class EQLayout:
    def __init__(self, skin, cells):
        self.title_h = cell_of(cells, 'EQ', 'TitleActive').h
        bg = cell_of(cells, 'EQ', 'Background')
        self.w, self.h = bg.w, bg.h + self.title_h
        P = lambda k: skin.point('EQPositions', k)
        ruler = cell_of(cells, 'EQ', 'BandRuler')
        self.bands = [P('Band%d' % i) + (ruler.w, skin.int('EQSizes', 'Band%d' % i))
                      for i in range(1, 11)]
        thumb = cell_of(cells, 'EQ', 'BandThumb')
        self.thumb_h = thumb.h
        pr = cell_of(cells, 'EQ', 'PanningRuler')
        self.panning = P('PanningBar') + (skin.int('EQSizes', 'PanningBar'), pr.h)
        self.buttons = {}
        for key, name, n in (('CloseBut', 'CloseBut', 4), ('ActiveToggle', 'EQON', 3),
                             ('PresetsBut', 'PresetsBut', 3)):
            c = cell_of(cells, 'EQ', name)
            self.buttons[name] = P(key) + (c.w, c.h // n)

    def level_y(self, value, band=0):
        """Centre row of a band thumb at value (-15..15)."""
        x, y, w, h = self.bands[band]
        track = h - self.thumb_h
        p = round(track * (value + 15) / 30)   # halves to even, as the slider
        return y + h - p - self.thumb_h + self.thumb_h // 2


def eq_window(L, active=True):
    w, h, th = L.w, L.h, L.title_h
    img = Img(w, h)
    for y in range(th, h):
        img.fill(0, y, w, y + 1, body_colour(y - th, h - th))
    img.hline(1, w - 1, th, HILITE, 0.8)
    draw_frame_edges(img, th)
    draw_title(img, w, th, "EQUALIZER", active, [L.buttons['CloseBut']])

    bands = L.bands
    x0 = 6
    x1 = w - 6
    y0 = min(b[1] for b in bands) - 7
    y1 = max(b[1] + b[3] for b in bands) + 13
    well(img, x0, y0, x1, y1, inner=EQ_PANEL)
    bx0 = bands[0][0]
    bx1 = bands[-1][0] + bands[-1][2]
    for v, label in ((15, "+15"), (0, "0"), (-15, "-15")):
        gy = L.level_y(v)
        img.hline(bx0 - 2, bx1 + 2, gy, (70, 78, 90), 0.45)
        tw = text_width(SMALL, label)
        draw_text(img, SMALL, label, bx0 - 5 - tw, gy - 2, TEXT_DIM)
        draw_text(img, SMALL, label, bx1 + 5, gy - 2, TEXT_DIM)
    for (x, y, bw, bh), f in zip(bands, EQ_FREQS):
        centre_text(img, SMALL, f, x + bw // 2, y + bh + 4, TEXT_DIM)

    for n in ('EQON', 'PresetsBut'):
        x, y, bw, bh = L.buttons[n]
        well(img, x - 1, y - 1, x + bw + 1, y + bh + 1)
    x, y, pw, ph = L.panning
    centre_text(img, SMALL, "BALANCE", x + pw // 2, y - 9, TEXT_DIM)
    draw_text(img, SMALL, "L", x - 7, y + (ph - 5) // 2, TEXT_DIM)
    draw_text(img, SMALL, "R", x + pw + 3, y + (ph - 5) // 2, TEXT_DIM)
    img.fill(x + pw // 2, y - 3, x + pw // 2 + 1, y - 1, ACCENT)
    img.hline(x + 2, x + pw - 2, y + ph + 1, WELL_LIGHT, 0.25)
    return img


def eq_pictures(L, cells):
    pics = {}
    win = eq_window(L, True)
    win_i = eq_window(L, False)
    th = L.title_h
    pics[('EQ', 'TitleActive')] = win.sub(0, 0, L.w, th)
    pics[('EQ', 'TitleInactive')] = win_i.sub(0, 0, L.w, th)
    pics[('EQ', 'Background')] = win.sub(0, th, L.w, L.h - th)

    x, y, bw, bh = L.buttons['CloseBut']
    pics[('EQ', 'CloseBut')] = stack(
        [button_frame(bw, bh, s, (win if s != 'inactive' else win_i).sub(x, y, bw, bh), 2.5, g_close)
         for s in ('normal', 'hot', 'pressed', 'inactive')])
    x, y, bw, bh = L.buttons['EQON']
    pics[('EQ', 'EQON')] = toggle_button(bw, bh, win.sub(x, y, bw, bh), g_label("ON", True))
    x, y, bw, bh = L.buttons['PresetsBut']
    pics[('EQ', 'PresetsBut')] = push_button(bw, bh, win.sub(x, y, bw, bh), g_label("PRESETS"))

    x, y, bw, bh = L.bands[0]
    for b in L.bands[1:]:
        if b[3] != bh or win.sub(b[0], b[1], bw, bh).px != win.sub(x, y, bw, bh).px:
            sys.exit("equaliser: band sliders must stand on the same background")
    under = win.sub(x, y, bw, bh)
    pics[('EQ', 'BandRuler')] = v_groove(bw, bh, under, False)
    pics[('EQ', 'BandProgress')] = v_groove(bw, bh, under, True)
    t = cell_of(cells, 'EQ', 'BandThumb')
    pics[('EQ', 'BandThumb')] = side_by_side(
        [pill_thumb(t.w // 2, t.h, lambda i, j: EQ_PANEL, p) for p in (False, True)])

    x, y, pw, ph = L.panning
    rows = [win.get(x + pw // 2 + 8, y + j) for j in range(ph)]
    r = cell_of(cells, 'EQ', 'PanningRuler')
    pics[('EQ', 'PanningRuler')] = h_groove(r.w, ph, rows, False)
    t = cell_of(cells, 'EQ', 'PanningThumb')
    pics[('EQ', 'PanningThumb')] = side_by_side(
        [knob(t.w // 2, lambda i, j: rows[min(j, ph - 1)], p) for p in (False, True)])
    return pics, win


# --------------------------------------------------------------------------
# The slider's built-in pictures: they stand on ordinary dialog backgrounds.

DIALOG_FACE = (240, 240, 240)


def slider_pictures():
    pics = {}
    rows = [DIALOG_FACE] * 16
    pics['HRL'] = h_groove(120, 16, rows, False, light=True)
    pics['HPR'] = h_groove(120, 16, rows, True, light=True)
    pics['HTB'] = side_by_side([knob(14, lambda i, j: DIALOG_FACE, p) for p in (False, True)])
    pics['VRL'] = v_groove(16, 120, DIALOG_FACE, False, light=True)
    pics['VPR'] = v_groove(16, 120, DIALOG_FACE, True, light=True)
    pics['VTB'] = side_by_side([knob(14, lambda i, j: DIALOG_FACE, p) for p in (False, True)])
    return pics


# --------------------------------------------------------------------------
# The about box: the logo fills the 350 x 250 window.

LOGO_BG = (30, 33, 38)

# Letters of the word mark as strokes on a grid 12 units high.
WORDMARK = {
    'T': [((0, 0), (8, 0)), ((4, 0), (4, 12))],
    'A': [((0, 12), (4.5, 0)), ((4.5, 0), (9, 12)), ((1.9, 7.5), (7.1, 7.5))],
    'V': [((0, 0), (4.5, 12)), ((4.5, 12), (9, 0))],
    'R': [((0, 0), (0, 12)), ((0, 0), (4.5, 0)), ((0, 6), (4.5, 6)), ((4, 6), (7.5, 12))],
    'I': [((0, 0), (0, 12))],
    'N': [((0, 12), (0, 0)), ((0, 0), (8, 12)), ((8, 12), (8, 0))],
}
WORDMARK_W = {'T': 8, 'A': 9, 'V': 9, 'R': 7.5, 'I': 0, 'N': 8}


def r_bowl():
    pts = []
    for k in range(13):
        a = -math.pi / 2 + math.pi * k / 12
        pts.append((4.5 + 3 * math.cos(a), 3 + 3 * math.sin(a)))
    return list(zip(pts, pts[1:]))


def wordmark(img, text, x, y, scale, width, colour):
    segs = []
    for ch in text:
        for (a, b) in WORDMARK[ch] + (r_bowl() if ch == 'R' else []):
            segs.append(((x + a[0] * scale, y + a[1] * scale), (x + b[0] * scale, y + b[1] * scale)))
        x += (WORDMARK_W[ch] + 4.2) * scale
    xs = [p[0] for s in segs for p in s]
    bbox = (int(min(xs) - width), int(y - width), int(max(xs) + width + 1), int(y + 12 * scale + width + 1))
    paint(img, strokes(segs, width), colour, bbox)
    return x


def wordmark_width(text, scale):
    return sum((WORDMARK_W[ch] + 4.2) * scale for ch in text) - 4.2 * scale


def logo_mark(img, cx, cy, r):
    """The program's sign: a blue disc with a light play triangle and rings."""
    bbox = (int(cx - r - 8), int(cy - r - 8), int(cx + r + 9), int(cy + r + 9))
    paint(img, ring(cx, cy, r + 3.5, r + 4.5), ACCENT, bbox, alpha=0.35)
    paint(img, ring(cx, cy, r + 7, r + 7.8), ACCENT, bbox, alpha=0.15)
    paint(img, circle(cx, cy, r), lambda x, y: mix(ACCENT_LIGHT, ACCENT_DARK, (y - cy + r) / (2 * r)), bbox)
    paint(img, ring(cx, cy, r - 1.2, r), (200, 232, 255), bbox, alpha=0.5)
    t = r * 0.55
    paint(img, polygon([(cx - t * 0.6, cy - t), (cx + t, cy), (cx - t * 0.6, cy + t)]),
          (246, 250, 255), bbox)


def logo_picture():
    w, h = 350, 250
    img = Img(w, h)
    for y in range(h):
        img.fill(0, y, w, y + 1, vgrad((46, 51, 59), LOGO_BG, y, h))
    r, gap, scale = 30, 24, 2.9
    ww = wordmark_width("TAVRIN", scale)
    x0 = int((w - (2 * r + gap + ww)) / 2)
    cx, cy = x0 + r, 78
    # A soft glow behind the sign.
    for y in range(0, 170):
        for x in range(0, 200):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d < 100:
                img.blend(x, y, ACCENT, 0.10 * (1 - d / 100) ** 2)
    logo_mark(img, cx, cy, r)
    wx = x0 + 2 * r + gap
    wy = cy - 6 * scale - 5
    wordmark(img, "TAVRIN", wx, wy, scale, 4.6, (236, 241, 247))
    sub = "AUDIO PLAYER"
    draw_text(img, BIG, sub, wx + 1, int(wy + 12 * scale + 10), ACCENT_LIGHT, 3)
    # A rule under the head, then a calm field for the fading text.
    img.hline(24, w - 24, 140, (0, 0, 0), 0.45)
    img.hline(24, w - 24, 141, (255, 255, 255), 0.06)
    img.hline(0, w, 0, (70, 76, 86))
    img.vline(0, 0, h, (70, 76, 86))
    img.hline(0, w, h - 1, BORDER)
    img.vline(w - 1, 0, h, BORDER)
    return img


def about_close_button():
    w, h = 18, 16
    under = Img(w, h, (44, 49, 57))
    return push_button(w, h, under, g_close, 3.0)


# --------------------------------------------------------------------------
# Type glyphs of the font combo box, magenta around them.

def font_glyphs():
    w, h = 16, 12
    ttf = Img(w, h, MAGENTA)
    # Two overlapping T letters, the TrueType sign.
    grey, blue = (96, 104, 116), ACCENT_DARK
    ttf.fill(0, 0, 9, 2, grey)
    ttf.fill(3, 2, 6, 10, grey)
    ttf.fill(6, 3, 16, 5, blue)
    ttf.fill(9, 5, 12, 12, blue)
    fix = Img(w, h, MAGENTA)
    # A blocky A on a raster of dots: a bitmap font.
    a = ["..####..", ".##..##.", "##....##", "##....##", "########", "##....##",
         "##....##", "##....##"]
    for j, row in enumerate(a):
        for i, v in enumerate(row):
            if v == '#':
                fix.set(4 + i, 2 + j, (70, 76, 86))
    for x in range(1, 16, 3):
        fix.set(x, 11, ACCENT)
    return {'TTF_FONT': ttf, 'FIX_FONT': fix}


# --------------------------------------------------------------------------
# Menu icons: 16 x 16 with alpha.

class Icon:
    def __init__(self, size=16):
        self.w = self.h = size
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def over(self, x, y, c, a):
        if not (0 <= x < self.w and 0 <= y < self.h) or a <= 0:
            return
        r, g, b, da = self.px[y][x]
        na = a + da * (1 - a)
        if na <= 0:
            return
        mixc = [(c[i] * a + (r, g, b)[i] * da * (1 - a)) / na for i in range(3)]
        self.px[y][x] = (mixc[0], mixc[1], mixc[2], na)

    def paint(self, inside, colour, alpha=1.0):
        for y in range(self.h):
            for x in range(self.w):
                a = coverage(inside, x, y)
                if a > 0:
                    self.over(x, y, colour(x, y) if callable(colour) else colour, a * alpha)

    def shape(self, inside, fill, outline=None, width=1.0):
        """Fills a shape with an outline drawn inside its edge."""
        if outline:
            self.paint(inside, outline)
            self.paint(erode(inside, width), fill)
        else:
            self.paint(inside, fill)

    def rgba(self):
        return [[tuple(int(v + 0.5) for v in p[:3]) + (int(p[3] * 255 + 0.5),) for p in row]
                for row in self.px]


def erode(inside, d):
    offs = [(d, 0), (-d, 0), (0, d), (0, -d), (d * 0.7, d * 0.7), (-d * 0.7, d * 0.7),
            (d * 0.7, -d * 0.7), (-d * 0.7, -d * 0.7)]
    return lambda px, py: inside(px, py) and all(inside(px + ox, py + oy) for ox, oy in offs)


INK = (58, 64, 74)
PAPER = (250, 251, 253)
BLUE_TOP = (130, 188, 240)
BLUE_BOT = (58, 112, 172)
BLUE_EDGE = (38, 82, 134)


def blue_fill(y0, y1):
    return lambda x, y: mix(BLUE_TOP, BLUE_BOT, (y - y0) / max(1, y1 - y0))


def icon_page(ic, fold=True):
    pts = [(2.5, 0.5), (10, 0.5), (13.5, 4), (13.5, 15.5), (2.5, 15.5)] if fold else \
          [(2.5, 0.5), (13.5, 0.5), (13.5, 15.5), (2.5, 15.5)]
    ic.shape(polygon(pts), PAPER, INK)
    if fold:
        ic.paint(polygon([(9.5, 0.5), (13.5, 4.5), (9.5, 4.5)]), (200, 206, 214))
        ic.paint(strokes([((9.5, 0.5), (9.5, 4.5)), ((9.5, 4.5), (13.5, 4.5))], 1), INK)


def icon_disc(ic, cx=8, cy=8, r=7.5):
    ic.paint(circle(cx, cy, r), INK)
    ic.paint(circle(cx, cy, r - 1), lambda x, y: mix((236, 240, 246), (176, 186, 200), (x + y) / 28))
    ic.paint(ring(cx, cy, 2.6, 4.6), BLUE_TOP, 0.9)
    ic.paint(circle(cx, cy, 2.6), INK)
    hole = circle(cx, cy, 1.4)
    for y in range(16):
        for x in range(16):
            a = coverage(hole, x, y)
            if a > 0:
                r_, g_, b_, al = ic.px[y][x]
                ic.px[y][x] = (r_, g_, b_, al * (1 - a))


def make_icons():
    icons = {}

    ic = Icon()   # ABOUT: an i in a blue disc
    ic.shape(circle(8, 8, 7.5), blue_fill(0, 16), BLUE_EDGE)
    ic.paint(box(7, 7, 9, 12.5), (255, 255, 255))
    ic.paint(box(6, 7, 9, 8), (255, 255, 255))
    ic.paint(box(6, 11.5, 10, 12.5), (255, 255, 255))
    ic.paint(circle(8, 4.5, 1.2), (255, 255, 255))
    icons['ABOUT'] = ic

    ic = Icon()   # CD
    icon_disc(ic)
    icons['CD'] = ic

    ic = Icon()   # DEL: a waste bin
    ic.shape(polygon([(3.5, 4.5), (12.5, 4.5), (11.5, 15.5), (4.5, 15.5)]), (226, 230, 236), INK)
    for x in (6.5, 8.5, 10.5):
        ic.paint(strokes([((x - 0.3, 6.5), (x - 0.3 + (x - 8.5) * 0.1, 13.5))], 1), (120, 128, 140))
    ic.shape(rrect(2, 2, 14, 4.5, 1), blue_fill(2, 5), BLUE_EDGE)
    ic.paint(rrect(6, 0.5, 10, 2.5, 0.8), BLUE_EDGE)
    icons['DEL'] = ic

    ic = Icon()   # EFFECTS: a sparkle over a wave
    pts = []
    for k in range(8):
        a = math.pi * k / 4 - math.pi / 2
        rr = 6 if k % 2 == 0 else 2
        pts.append((7 + rr * math.cos(a), 7 + rr * math.sin(a)))
    ic.shape(polygon(pts), blue_fill(1, 13), BLUE_EDGE)
    wave = [((0.5 + k, 13.5 + 1.6 * math.sin(k * 1.1)), (1.5 + k, 13.5 + 1.6 * math.sin((k + 1) * 1.1)))
            for k in range(15)]
    ic.paint(strokes(wave, 1.4), INK)
    ic.paint(circle(13, 3, 1.3), BLUE_TOP)
    icons['EFFECTS'] = ic

    ic = Icon()   # EQ: three sliders
    for x, ky in ((3.5, 10), (8, 5), (12.5, 8)):
        ic.paint(box(x - 0.5, 1, x + 0.5, 15), INK)
        ic.shape(rrect(x - 2.5, ky - 2, x + 2.5, ky + 2, 1), blue_fill(ky - 2, ky + 2), BLUE_EDGE)
    icons['EQ'] = ic

    ic = Icon()   # EXIT: the power sign
    arc = [(8 + 6 * math.cos(math.radians(a)), 8.5 + 6 * math.sin(math.radians(a)))
           for a in range(-60, 241, 15)]
    ic.paint(strokes(list(zip(arc, arc[1:])), 2.2), INK)
    ic.paint(strokes([((8, 1), (8, 8))], 2.2), BLUE_EDGE)
    icons['EXIT'] = ic

    ic = Icon()   # EXTRACT: a disc and an arrow out of it
    icon_disc(ic, 7, 7, 6.5)
    ic.shape(polygon([(10.5, 8.5), (13.5, 8.5), (13.5, 11.5), (15.5, 11.5), (12, 15.5),
                      (8.5, 11.5), (10.5, 11.5)]), blue_fill(8, 16), BLUE_EDGE)
    icons['EXTRACT'] = ic

    ic = Icon()   # FILE: a page with a note
    icon_page(ic)
    ic.paint(circle(6.8, 12, 1.7), BLUE_EDGE)
    ic.paint(box(7.8, 6, 9, 12), BLUE_EDGE)
    ic.paint(polygon([(8, 6), (11, 7.5), (11, 9), (8, 7.5)]), BLUE_EDGE)
    icons['FILE'] = ic

    ic = Icon()   # FOLDER
    ic.shape(polygon([(0.5, 2.5), (6, 2.5), (7.5, 4), (15.5, 4), (15.5, 14.5), (0.5, 14.5)]),
             (72, 124, 184), BLUE_EDGE)
    ic.shape(polygon([(0.5, 6.5), (15.5, 6.5), (15.5, 14.5), (0.5, 14.5)]), blue_fill(6, 15), BLUE_EDGE)
    ic.paint(box(1.5, 7.5, 14.5, 8.5), (190, 222, 250), 0.8)
    icons['FOLDER'] = ic

    ic = Icon()   # INFO: a tag
    ic.shape(polygon([(1, 8), (7, 1.5), (14.5, 1.5), (14.5, 14.5), (7, 14.5)]), blue_fill(1, 15), BLUE_EDGE)
    ic.paint(circle(5.5, 8, 1.5), (255, 255, 255))
    ic.paint(box(8.5, 5, 13, 6), (255, 255, 255), 0.9)
    ic.paint(box(8.5, 7.5, 13, 8.5), (255, 255, 255), 0.9)
    ic.paint(box(8.5, 10, 12, 11), (255, 255, 255), 0.9)
    icons['INFO'] = ic

    ic = Icon()   # OPTIONS: a gear
    def gear(px, py):
        dx, dy = px - 8, py - 8
        d = (dx * dx + dy * dy) ** 0.5
        a = math.atan2(dy, dx)
        tooth = math.cos(8 * a) > 0.1
        return d <= (7.3 if tooth else 5.6)
    ic.shape(gear, (150, 158, 170), INK)
    ic.shape(circle(8, 8, 3.3), blue_fill(5, 11), BLUE_EDGE)
    ic.paint(circle(8, 8, 1.3), PAPER)
    icons['OPTIONS'] = ic

    ic = Icon()   # PLAY
    ic.shape(polygon([(3, 1.5), (14.5, 8), (3, 14.5)]), blue_fill(1, 15), BLUE_EDGE, 1.2)
    icons['PLAY'] = ic

    ic = Icon()   # PLAYLIST: lines and a small play sign
    for k, y in enumerate((2, 6, 10, 14)):
        ic.paint(box(6, y - 1, 15.5, y + 1), INK if k != 1 else BLUE_EDGE)
    ic.shape(polygon([(0.5, 3), (5, 6), (0.5, 9)]), blue_fill(3, 9), BLUE_EDGE, 0.8)
    icons['PLAYLIST'] = ic

    ic = Icon()   # SKIN: a painter's palette
    pal = minus(lambda px, py: ((px - 8) / 7.5) ** 2 + ((py - 8.5) / 6.5) ** 2 <= 1,
                circle(10.5, 11.5, 2.2))
    ic.shape(pal, (236, 228, 212), INK)
    for (x, y), c in (((4.5, 7.5), ACCENT), ((7.5, 4.5), (222, 96, 88)), ((11.5, 5.5), (236, 196, 80)),
                      ((5, 11.5), (96, 176, 116))):
        ic.paint(circle(x, y, 1.5), c)
    icons['SKIN'] = ic

    ic = Icon()   # TEXT: a page of lines
    icon_page(ic, fold=False)
    for y in (4, 6.5, 9, 11.5):
        ic.paint(box(4.5, y, 11.5 if y != 11.5 else 9, y + 1), (110, 118, 130))
    ic.paint(box(4.5, 1.5, 11.5, 2.5), BLUE_EDGE)
    icons['TEXT'] = ic

    ic = Icon()   # URL: a globe
    ic.shape(circle(8, 8, 7.5), blue_fill(0, 16), BLUE_EDGE)
    lines = minus(union(
        lambda px, py: abs(((px - 8) / 3.2) ** 2 + ((py - 8) / 6.6) ** 2 - 1) < 0.22,
        lambda px, py: abs(py - 8) < 0.5,
        lambda px, py: abs(px - 8) < 0.5,
        lambda px, py: abs(py - 4.2) < 0.45 and abs(px - 8) < 5.6,
        lambda px, py: abs(py - 11.8) < 0.45 and abs(px - 8) < 5.6),
        lambda px, py: (px - 8) ** 2 + (py - 8) ** 2 > 6.4 ** 2)
    ic.paint(lines, (232, 244, 255), 0.9)
    icons['URL'] = ic
    return icons


# --------------------------------------------------------------------------
# Files.

def bmp_bytes(img):
    """24-bit bottom-up BMP with BITMAPINFOHEADER."""
    stride = (img.w * 3 + 3) & ~3
    pad = b'\0' * (stride - img.w * 3)
    rows = []
    for y in range(img.h - 1, -1, -1):
        rows.append(b''.join(bytes((b, g, r)) for (r, g, b) in img.px[y]) + pad)
    bits = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, img.w, img.h, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    return head + info + bits


def ico_bytes(icon):
    """A single-image .ico: 32-bit colour with alpha plus the AND mask."""
    px = icon.rgba()
    n = icon.w
    xor = b''.join(bytes((b, g, r, a)) for y in range(n - 1, -1, -1) for (r, g, b, a) in px[y])
    mask_stride = ((n + 31) // 32) * 4
    mask = b''
    for y in range(n - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(n):
            if px[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    info = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + mask
    head = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(image), 6 + 16)
    return head + entry + image


def png_bytes(img, scale=1, alpha=None):
    w, h = img.w * scale, img.h * scale
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        row = img.px[y // scale]
        for x in range(w):
            raw.extend(row[x // scale])
            if alpha is not None:
                raw.append(alpha[y // scale][x // scale])

    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    hdr = struct.pack('>IIBBBBB', w, h, 8, 6 if alpha is not None else 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', hdr) + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def normalised_description(path):
    """The description with CR LF line ends, checked to be plain ANSI."""
    raw = open(path, 'rb').read()
    try:
        raw.decode('ascii')
    except UnicodeDecodeError:
        sys.exit("%s: keep the built-in description to ASCII" % path)
    lines = raw.replace(b'\r\n', b'\n').split(b'\n')
    if lines and lines[-1] == b'':
        lines.pop()
    return b''.join(l + b'\r\n' for l in lines)


# --------------------------------------------------------------------------
# Checks: the key colours appear only where they mean something.

def key_pixels(img):
    found = {}
    for y, row in enumerate(img.px):
        for x, c in enumerate(row):
            if c in KEYS:
                found.setdefault(c, []).append((x, y))
    return found


def check_picture(what, img, allowed):
    for c, where in key_pixels(img).items():
        if c not in allowed:
            sys.exit("%s: key colour %s at %s" % (what, c, where[:5]))


# Pictures whose shape is cut by pure blue (bitmap buttons, slider thumbs).
def blue_keyed(name):
    return name.endswith('But') or name.endswith('Toggle') or name.endswith('Thumb') \
        or name in ('Rev', 'Play', 'Pause', 'Stop', 'Fwd', 'Open', 'EQON')


# Window pieces, which may give a shaped window magenta corners.
def magenta_keyed(name):
    return name in ('TitleActive', 'TitleInactive', 'Background', 'Bottom', 'LeftSide', 'RightSide')


def keys_of(name):
    return ('B' if blue_keyed(name) else '') + ('M' if magenta_keyed(name) else '')


# --------------------------------------------------------------------------
# A second skin, for the tests only (never shipped): warm colours, rounded
# window outlines, a horizontal volume bar, a fixed playlist with a picture
# behind its rows, and a font of its own that the description names.

SECOND_NAME = 'Ember'
SECOND_FONT = 'Ember Pixel'
SECOND_FONT_FILE = 'EmberPixel.ttf'
SECOND_BACKDROP = 'Backdrop.bmp'
# The playlist rows' colour before the warm turn: the scroll bar is drawn on
# it, and the description's ItemBGColor is what it turns into.
SECOND_LIST_BG = (29, 29, 29)

# Cell sizes that differ from the built-in table.
SECOND_CELLS = {
    ('MAIN', 'TitleActive'): (300, 18), ('MAIN', 'TitleInactive'): (300, 18),
    ('MAIN', 'Background'): (300, 146),
    ('MAIN', 'VolumeRuler'): (40, 12), ('MAIN', 'VolumeProgress'): (40, 12),
    ('MAIN', 'VolumeThumb'): (24, 12),
}

SECOND_DESCRIPTION = """\
// Ember: a second skin for Tavrin's tests
[Colors]
SongLabel=663100
RateLabel=1326190
VisLineStart=255,200,120
VisLineEnd=200,90,30
VisPeak=13168895
VisPolyline=5947135
ItemBGColor=%(rows)d
SelectedItemBGColor=1326200
ItemColor=12508400
PlayingItemColor=3975935
NumbersBGColor=1582652
FindBoxBG=1582652
FindBoxText=12508400
PLBGPic=%(backdrop)s

[GlobalFlags]
FindAndRegisterFonts=1

[FontNames]
PL=DejaVu Serif
FindBox=DejaVu Sans Mono
SongLabel=%(font)s
RateLabel=%(font)s

[FontSizes]
FindBox=8
SongLabel=9
RateLabel=9

[MWFlags]
MWTitle=1
VerticalVolumeBar=0
CalculateRegion=1

[MWPositions]
MenuBut=8,2
MinimizeBut=256,2
CloseBut=275,2
EQToggle=12,136
PLToggle=56,136
ShuffleToggle=104,140
RepeatToggle=138,140
RewindBut=12,104
PlayBut=80,104
PauseBut=115,104
StopBut=46,104
ForwardBut=150,104
OpenBut=189,104
AboutBut=242,136
SongLabel=12,27
TimeLabel=36,55
PlayState=14,54
RateLabel=194,28
VisWindow=140,51
VolumeBar=232,110
SeekingBar=12,86

[MWSizes]
SongLabel=176,14
TimeLabelAlign=1
TimeLabel=96,16
RateLabel=102,15
VisWindow=148,26
VolumeBar=56
SeekingBar=276

[PLFlags]
PLTitle=1
FindBoxVisible=1
PLResizable=0

[PLSizes]
FindBox=89,19
FindBoxScalable=1
TitleEdgeSize=30,20
BottomEdgeSize=30,30
PLMinSize=300,200

[PLPositions]
AddButAlign=2
AddBut=8,4
DelButAlign=2
DelBut=42,4
SelButAlign=2
SelBut=77,4
MiscButAlign=2
MiscBut=112,4
LoadButAlign=4
LoadBut=14,4
CloseButAlign=3
CloseBut=6,3
FindBoxAlign=2
FindBox=152,8

[EQPositions]
CloseBut=268,3
ActiveToggle=35,133
PresetsBut=222,133
PanningBar=93,144
Band1=40,35
Band2=62,35
Band3=85,35
Band4=106,35
Band5=128,35
Band6=150,35
Band7=172,35
Band8=194,35
Band9=216,35
Band10=238,35

[EQSizes]
PanningBar=105
Band1=75
Band2=75
Band3=75
Band4=75
Band5=75
Band6=75
Band7=75
Band8=75
Band9=75
Band10=75

[EQFlags]
CalculateRegion=0

[SkinInfo]
Name=Ember
Version=1.0
Author=The Tavrin developers
Comment=A second skin for the tests
"""


_EMBER = {}


def ember(c):
    """The built-in palette turned warm: its greys become browns of the same
    lightness, its blue accents amber. Key colours stay; nothing else becomes
    one."""
    if c in KEYS:
        return c
    cache = _EMBER
    if c not in cache:
        r, g, b = (v / 255 for v in c)
        hue, light, sat = colorsys.rgb_to_hls(r, g, b)
        if max(c) - min(c) < 40:
            hue, sat = 0.07, 0.38
        else:
            hue = (hue + 0.5) % 1.0
        out = tuple(int(v * 255 + 0.5) for v in colorsys.hls_to_rgb(hue, light, sat))
        if out in KEYS:
            out = (out[0], out[1] ^ 1, out[2])
        cache[c] = out
    return cache[c]


def recolour(img):
    for row in img.px:
        for x, c in enumerate(row):
            row[x] = ember(c)


def round_corners(img, ox, oy, w, h, r, rim):
    """Cuts the corners of a w x h outline with radius r out of img, which
    sits at ox, oy inside it: magenta outside, a soft rim along the curve."""
    outer = rrect(0, 0, w, h, r)
    inner = rrect(1, 1, w - 1, h - 1, r - 1)
    for y in range(img.h):
        wy = y + oy
        if r <= wy < h - r:
            continue
        for x in range(img.w):
            wx = x + ox
            if r <= wx < w - r:
                continue
            a = coverage(outer, wx, wy)
            if a < 0.5:
                img.px[y][x] = MAGENTA
            elif coverage(inner, wx, wy) < 1:
                img.px[y][x] = mix(img.px[y][x], rim, 0.85)


def backdrop_picture(w, h):
    """The picture behind the playlist's rows: a glow round a flame, fading
    into the rows' colour at the edges."""
    edge, glow, flame = ember(SECOND_LIST_BG), (78, 46, 26), (104, 60, 30)
    img = Img(w, h, edge)
    cx, cy = w / 2, h / 2
    for y in range(h):
        for x in range(w):
            d = min(1.0, (((x - cx) / (w / 2)) ** 2 + ((y - cy) / (h / 2)) ** 2) ** 0.5)
            img.px[y][x] = mix(glow, edge, d)
    shape = union(circle(cx, cy + 14, 22),
                  polygon([(cx - 22, cy + 12), (cx - 6, cy - 44), (cx + 4, cy - 14),
                           (cx + 12, cy - 30), (cx + 22, cy + 12)]))
    paint(img, shape, flame, alpha=0.8)
    paint(img, union(circle(cx, cy + 18, 11),
                     polygon([(cx - 11, cy + 16), (cx, cy - 12), (cx + 11, cy + 16)])), glow)
    return img


# A TrueType font of square pixels from the small pixel font: capitals,
# digits and a little punctuation (small letters take the capitals' shapes).
# An em of 6 pixels: at 9 points (12 screen pixels) one pixel is two.
FONT_EXTRA = {
    'J': ["..##", "...#", "...#", "#..#", ".##."],
    '.': [".", ".", ".", ".", "#"],
    ',': ["..", "..", "..", ".#", "#."],
    ':': [".", "#", ".", "#", "."],
    '(': [".#", "#.", "#.", "#.", ".#"],
    ')': ["#.", ".#", ".#", ".#", "#."],
    '/': ["..#", "..#", ".#.", "#..", "#.."],
    "'": ["#", "#", ".", ".", "."],
    '!': ["#", "#", "#", ".", "#"],
    '?': ["###", "..#", ".#.", "...", ".#."],
    '_': ["...", "...", "...", "...", "###"],
    '=': ["...", "###", "...", "###", "..."],
    '%': ["#..#", "..#.", ".#..", "#...", "#..#"],
    '&': [".#..", "#.#.", ".#.#", "#.#.", ".#.#"],
}
FONT_UNIT = 256
FONT_EM = 6 * FONT_UNIT


def font_glyphs_table():
    glyphs = dict(SMALL)
    glyphs.update(FONT_EXTRA)
    return glyphs


def glyph_contours(rows):
    """One square contour per pixel, clockwise (TrueType's outer direction);
    y up from the baseline under the 5 rows."""
    u = FONT_UNIT
    out = []
    for j, row in enumerate(rows):
        for i, v in enumerate(row):
            if v == '#':
                x0, y0 = i * u, (4 - j) * u
                out.append([(x0, y0), (x0, y0 + u), (x0 + u, y0 + u), (x0 + u, y0)])
    return out


def glyf_entry(contours):
    if not contours:
        return b''
    xs = [p[0] for c in contours for p in c]
    ys = [p[1] for c in contours for p in c]
    data = struct.pack('>hhhhh', len(contours), min(xs), min(ys), max(xs), max(ys))
    ends, n = [], 0
    for c in contours:
        n += len(c)
        ends.append(n - 1)
    data += struct.pack('>%dH' % len(ends), *ends) + struct.pack('>H', 0)
    points = [p for c in contours for p in c]
    data += bytes([1]) * len(points)   # on the curve, two-byte deltas
    px = py = 0
    for x, _ in points:
        data += struct.pack('>h', x - px)
        px = x
    for _, y in points:
        data += struct.pack('>h', y - py)
        py = y
    return data + b'\0' * (-len(data) % 4)


def ttf_checksum(data):
    data += b'\0' * (-len(data) % 4)
    return sum(struct.unpack('>%dI' % (len(data) // 4), data)) & 0xFFFFFFFF


def pixel_font(family):
    table = font_glyphs_table()
    chars = sorted(set(table) | set(c.lower() for c in table if c.isalpha()))
    order = ['.notdef'] + chars
    shapes = {'.notdef': ["###", "#.#", "#.#", "#.#", "###"]}
    for ch in chars:
        shapes[ch] = table.get(ch, table.get(ch.upper()))
    glyf, loca, hmtx = b'', [], b''
    max_points = max_contours = 0
    for name in order:
        rows = shapes[name]
        contours = glyph_contours(rows)
        loca.append(len(glyf))
        glyf += glyf_entry(contours)
        width = len(rows[0])
        advance = (width + 1) * FONT_UNIT
        hmtx += struct.pack('>Hh', advance, 0)
        max_points = max(max_points, 4 * len(contours))
        max_contours = max(max_contours, len(contours))
    loca.append(len(glyf))
    n = len(order)
    asc, desc = 6 * FONT_UNIT, FONT_UNIT

    head = struct.pack('>IIIIHHqqhhhhHHhhh', 0x00010000, 0x00010000, 0, 0x5F0F3CF5, 0x000B,
                       FONT_EM, 0, 0, 0, 0, 6 * FONT_UNIT, 5 * FONT_UNIT, 0, 8, 2, 1, 0)
    hhea = struct.pack('>IhhhHhhhhhhhhhhhH', 0x00010000, asc, -desc, 0, 6 * FONT_UNIT, 0, 0,
                       5 * FONT_UNIT, 1, 0, 0, 0, 0, 0, 0, 0, n)
    maxp = struct.pack('>IHHHHHHHHHHHHHH', 0x00010000, n, max_points, max_contours, 0, 0, 2,
                       0, 0, 0, 0, 0, 0, 0, 0)
    codes = [(ord(ch), k + 1) for k, ch in enumerate(chars)]
    segs = [(c, c, g - c) for c, g in codes] + [(0xFFFF, 0xFFFF, 1)]
    seg2 = 2 * len(segs)
    search = 2 * 2 ** int(math.log2(len(segs)))
    sub = struct.pack('>HHHHHHH', 4, 16 + 8 * len(segs), 0, seg2, search,
                      int(math.log2(search // 2)), seg2 - search)
    sub += b''.join(struct.pack('>H', e) for _, e, _ in segs) + struct.pack('>H', 0)
    sub += b''.join(struct.pack('>H', s) for s, _, _ in segs)
    sub += b''.join(struct.pack('>H', d & 0xFFFF) for _, _, d in segs)
    sub += b'\0\0' * len(segs)
    cmap = struct.pack('>HHHHI', 0, 1, 3, 1, 12) + sub
    names = {1: family, 2: 'Regular', 3: family + ' 1.0', 4: family,
             6: family.replace(' ', '')}
    strings, records = b'', b''
    for nid, text in names.items():
        raw = text.encode('utf-16-be')
        records += struct.pack('>HHHHHH', 3, 1, 0x409, nid, len(raw), len(strings))
        strings += raw
    name = struct.pack('>HHH', 0, len(names), 6 + 12 * len(names)) + records + strings
    os2 = struct.pack('>HhHHHhhhhhhhhhhh', 1, 4 * FONT_UNIT, 400, 5, 0, 3 * FONT_UNIT,
                      3 * FONT_UNIT, 0, FONT_UNIT, 3 * FONT_UNIT, 3 * FONT_UNIT, 0,
                      2 * FONT_UNIT, FONT_UNIT // 4, 2 * FONT_UNIT, 0)
    os2 += bytes(10) + struct.pack('>IIII', 1, 0, 0, 0) + b'TAVR'
    os2 += struct.pack('>HHHhhhHHII', 0x40, 0x20, 0x7A, asc, -desc, 0, asc, desc, 1, 0)
    post = struct.pack('>IIhhIIIII', 0x00030000, 0, -FONT_UNIT // 2, FONT_UNIT // 4, 0, 0, 0,
                       0, 0)
    loca_data = b''.join(struct.pack('>I', o) for o in loca)
    tables = {b'OS/2': os2, b'cmap': cmap, b'glyf': glyf, b'head': head, b'hhea': hhea,
              b'hmtx': hmtx, b'loca': loca_data, b'maxp': maxp, b'name': name, b'post': post}
    count = len(tables)
    search = 16 * 2 ** int(math.log2(count))
    out = struct.pack('>IHHHH', 0x00010000, count, search, int(math.log2(search // 16)),
                      16 * count - search)
    offset = 12 + 16 * count
    directory, body = b'', b''
    for tag in sorted(tables):
        data = tables[tag]
        directory += struct.pack('>4sIII', tag, ttf_checksum(data), offset + len(body), len(data))
        body += data + b'\0' * (-len(data) % 4)
    font = bytearray(out + directory + body)
    # head.checkSumAdjustment makes the whole file sum to the magic number.
    head_at = offset + body.index(head)
    font[head_at + 8:head_at + 12] = struct.pack('>I', (0xB1B0AFBA - ttf_checksum(bytes(font)))
                                                 & 0xFFFFFFFF)
    return bytes(font)


def second_cells(cells):
    out = []
    for c in cells:
        w, h = SECOND_CELLS.get((c.sheet, c.name), (c.w, c.h))
        out.append(Cell(c.sheet, c.band, c.column, w, h, c.name, c.use))
    return out


def draw_second_skin(base_cells, folder):
    """Writes the second skin's folder: its description, three sheets, the
    playlist's background picture and its font."""
    os.makedirs(folder, exist_ok=True)
    cells = second_cells(base_cells)
    r, g, b = ember(SECOND_LIST_BG)
    text = SECOND_DESCRIPTION % {'font': SECOND_FONT, 'backdrop': SECOND_BACKDROP,
                                 'rows': r + (g << 8) + (b << 16)}
    path = os.path.join(folder, 'Skin.txt')
    write(path, text.replace('\n', '\r\n').encode('ascii'))
    skin = Skin(read_skin(path))

    pictures = {}
    ml = MainLayout(skin, cells)
    pictures.update(main_pictures(ml, skin, cells)[0])
    pictures.update(pl_pictures(skin, cells, SECOND_LIST_BG))
    pictures.update(eq_pictures(EQLayout(skin, cells), cells)[0])
    for pic in pictures.values():
        recolour(pic)
    rim = ember(BORDER)
    for name, oy in (('TitleActive', 0), ('TitleInactive', 0), ('Background', ml.title_h)):
        round_corners(pictures[('MAIN', name)], 0, oy, ml.w, ml.h, 8, rim)
    far = 10000
    for name in ('TitleActive', 'TitleInactive'):
        pic = pictures[('PL', name)]
        round_corners(pic, 0, 0, pic.w, far, 6, rim)
    pic = pictures[('PL', 'Bottom')]
    round_corners(pic, 0, far - pic.h, pic.w, far, 6, rim)
    for key, pic in pictures.items():
        check_picture("%s %s" % key, pic, (BLUE,) * blue_keyed(key[1]) + (MAGENTA,) * magenta_keyed(key[1]))

    for sheet, file in (('MAIN', 'Main.bmp'), ('PL', 'PL.bmp'), ('EQ', 'EQ.bmp')):
        size = sheet_size(sheet, cells)
        write(os.path.join(folder, file), bmp_bytes(compose_sheet(sheet, cells, pictures, size)))
    write(os.path.join(folder, SECOND_BACKDROP), bmp_bytes(backdrop_picture(180, 130)))
    write(os.path.join(folder, SECOND_FONT_FILE), pixel_font(SECOND_FONT))


# --------------------------------------------------------------------------

ICON_NAMES = ["ABOUT", "CD", "DEL", "EFFECTS", "EQ", "EXIT", "EXTRACT", "FILE", "FOLDER",
              "INFO", "OPTIONS", "PLAY", "PLAYLIST", "SKIN", "TEXT", "URL"]


def c_string(s):
    return '"' + s.replace('\\', '\\\\').replace('"', '\\"') + '"'


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--cells', required=True)
    ap.add_argument('--skin')
    ap.add_argument('--out')
    ap.add_argument('--second-skin', metavar='FOLDER',
                    help="draw only the tests' second skin, into this folder")
    ap.add_argument('--previews', help="also write PNG previews (3x) into this folder")
    args = ap.parse_args()
    cells = read_cells(args.cells)
    if args.second_skin:
        draw_second_skin(cells, args.second_skin)
        return
    if not args.skin or not args.out:
        ap.error("--skin and --out are needed for the built-in pictures")
    os.makedirs(args.out, exist_ok=True)

    skin = Skin(read_skin(args.skin))
    description = normalised_description(args.skin)

    pictures = {}
    ml = MainLayout(skin, cells)
    p, _ = main_pictures(ml, skin, cells)
    pictures.update(p)
    pictures.update(pl_pictures(skin, cells))
    el = EQLayout(skin, cells)
    p, _ = eq_pictures(el, cells)
    pictures.update(p)
    for key, pic in pictures.items():
        check_picture("%s %s" % key, pic, (BLUE,) * blue_keyed(key[1]) + (MAGENTA,) * magenta_keyed(key[1]))

    bitmaps = {}
    for sheet in ('MAIN', 'PL', 'EQ'):
        bitmaps[sheet] = compose_sheet(sheet, cells, pictures)
    keys = {'MAIN': 'S', 'PL': 'S', 'EQ': 'S', 'LOGO': '', 'CLOSEBUT': 'B'}
    for name, pic in slider_pictures().items():
        keys[name] = 'B' if name.endswith('TB') else ''
        bitmaps[name] = pic
    bitmaps['LOGO'] = logo_picture()
    bitmaps['CLOSEBUT'] = about_close_button()
    for name, pic in font_glyphs().items():
        keys[name] = 'M'
        bitmaps[name] = pic
    for name, pic in bitmaps.items():
        if keys[name] != 'S':
            check_picture(name, pic, (BLUE,) * ('B' in keys[name]) + (MAGENTA,) * ('M' in keys[name]))
    icons = make_icons()

    out = os.path.abspath(args.out)
    rc = ["// Generated by resources/skin/draw_resources.py: the default skin and the",
          "// program's other built-in pictures.", ""]
    table = ["// Generated by resources/skin/draw_resources.py: what tavrin_art.rc holds.",
             "// Key letters: S a sheet (green markers), B pure blue cuts a shape,",
             "// M magenta is transparent or outside a window's shape.", ""]
    for name, img in bitmaps.items():
        fn = os.path.join(out, name + '.bmp')
        write(fn, bmp_bytes(img))
        rc.append('%s BMP "%s"' % (name, fn))
        table.append('TAVRIN_ART_BITMAP(%s, %d, %d, %s)' % (c_string(name), img.w, img.h,
                                                             c_string(keys[name])))
    for name in ICON_NAMES:
        fn = os.path.join(out, name + '.ico')
        write(fn, ico_bytes(icons[name]))
        rc.append('%s ICONGROUP "%s"' % (name, fn))
        table.append('TAVRIN_ART_ICON(%s)' % c_string(name))
    fn = os.path.join(out, 'Skin.txt')
    write(fn, description)
    rc.append('SKIN TXT "%s"' % fn)
    table.append('TAVRIN_ART_TEXT(%s, %d)' % (c_string("SKIN"), len(description)))
    table.append('')
    for c in cells:
        table.append('TAVRIN_ART_CELL(%s, %d, %d, %d, %d, %d, %d, %s, %s)' % (
            c_string(c.sheet), c.band, c.column, c.x, c.y, c.w, c.h, c_string(c.name),
            c_string(keys_of(c.name))))
    write(os.path.join(out, 'tavrin_art.rc'), ('\n'.join(rc) + '\n').encode('ascii'))
    write(os.path.join(out, 'tavrin_art_table.inc'), ('\n'.join(table) + '\n').encode('ascii'))

    if args.previews:
        os.makedirs(args.previews, exist_ok=True)
        for name, img in bitmaps.items():
            write(os.path.join(args.previews, name + '.png'), png_bytes(img, 3))
        strip = Img(len(ICON_NAMES) * 20, 20, (240, 240, 240))
        for k, name in enumerate(ICON_NAMES):
            ic = icons[name].rgba()
            for y in range(16):
                for x in range(16):
                    r, g, b, a = ic[y][x]
                    strip.blend(k * 20 + 2 + x, 2 + y, (r, g, b), a / 255)
        write(os.path.join(args.previews, 'icons.png'), png_bytes(strip, 4))


if __name__ == '__main__':
    main()
