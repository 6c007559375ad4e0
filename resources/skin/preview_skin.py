#!/usr/bin/python3
"""Puts the default skin together as the program would show it: the main
window, the playlist and the equaliser, docked, each control cut from its
sheet the way the skin loader cuts it and placed where the description puts
it. Writes a PNG for a person to look at; the build does not run it.

    preview_skin.py --art DIR --skin Skin.txt --out mock.png [--scale 3]

DIR is where draw_resources.py wrote the sheets. Text stands in with the
skin's own pixel letters; the spectrum and list rows are made up.
"""

import argparse
import os
import struct
import sys

sys.dont_write_bytecode = True  # keep the checkout clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import draw_resources as dr  # noqa: E402

GREEN = dr.GREEN
BLUE = dr.BLUE


def read_bmp(path):
    data = open(path, 'rb').read()
    off = struct.unpack_from('<I', data, 10)[0]
    w, h, planes, bpp = struct.unpack_from('<iiHH', data, 18)
    if bpp != 24:
        sys.exit("%s: %d bits per pixel" % (path, bpp))
    stride = (w * 3 + 3) & ~3
    img = dr.Img(w, abs(h))
    for row in range(abs(h)):
        y = abs(h) - 1 - row if h > 0 else row
        base = off + row * stride
        img.px[y] = [(data[base + 3 * x + 2], data[base + 3 * x + 1], data[base + 3 * x])
                     for x in range(w)]
    return img


def cut(sheet, band, column):
    """One cell, found by the green markers as the skin loader finds it."""
    count, top = 1, None
    for y in range(sheet.h):
        if count == band:
            top = y
            break
        if sheet.get(0, y) == GREEN:
            count += 1
    if top is None:
        sys.exit("no band %d" % band)
    count, left = 1, None
    for x in range(sheet.w):
        if count == column:
            left = x
            break
        if sheet.get(x, top) == GREEN:
            count += 1
    if left is None:
        sys.exit("no cell %d,%d" % (band, column))
    bottom = next((y for y in range(top, sheet.h) if sheet.get(left, y) == GREEN), sheet.h)
    right = next((x for x in range(left, sheet.w) if sheet.get(x, top) == GREEN), sheet.w)
    return sheet.sub(left, top, right - left, bottom - top)


def frame(pic, n, k):
    h = pic.h // n
    return pic.sub(0, k * h, pic.w, h)


def hframe(pic, n, k):
    w = pic.w // n
    return pic.sub(k * w, 0, w, pic.h)


def put(canvas, pic, x, y, key=None):
    canvas.blit(pic, x, y, key)


def copy_cols(dst, src, sx, w, dx, dy):
    for j in range(src.h):
        for i in range(w):
            if 0 <= sx + i < src.w:
                dst.set(dx + i, dy + j, src.get(sx + i, j))


def copy_rows(dst, src, sy, h, dx, dy):
    for j in range(h):
        if 0 <= sy + j < src.h:
            for i in range(src.w):
                dst.set(dx + i, dy + j, src.get(i, sy + j))


def h_slider(canvas, x, y, width, ruler, progress, thumb, frac, states=2):
    """A horizontal slider as the control paints it."""
    area = dr.Img(width, ruler.h)
    if ruler.w == width:
        area.blit(ruler, 0, 0)
    else:
        copy_cols(area, ruler, 0, 5, 0, 0)
        for k in range((width - 8) // 8 + 1):
            copy_cols(area, ruler, 5, 8, 5 + 8 * k, 0)
        copy_cols(area, ruler, ruler.w - 5, 5, width - 5, 0)
    tw = thumb.w // states
    t = round((width - tw) * frac)
    c = t + tw // 2
    if progress is not None and t > 0:
        if progress.w == width:
            copy_cols(area, progress, 0, c, 0, 0)
        else:
            copy_cols(area, progress, 0, min(5, t), 0, 0)
            n = (t - 5) // 8 if t > 5 else 0
            for k in range(n):
                copy_cols(area, progress, 5, 8, 5 + 8 * k, 0)
            if t > 5:
                end = 5 + 8 * n
                for xx in range(end, c):
                    copy_cols(area, progress, 5 + (xx - end) % 8, 1, xx, 0)
    ty = 0 if ruler.h < thumb.h else (ruler.h - thumb.h) // 2
    area.blit(hframe(thumb, states, 0), t, ty, BLUE)
    put(canvas, area, x, y)


def v_slider(canvas, x, y, height, ruler, progress, thumb, frac, states=2):
    """A vertical bottom-up slider as the control paints it."""
    area = dr.Img(ruler.w, height)
    if ruler.h == height:
        area.blit(ruler, 0, 0)
    else:
        copy_rows(area, ruler, 0, 5, 0, 0)
        for k in range((height - 8) // 8 + 1):
            copy_rows(area, ruler, 5, 8, 0, 5 + 8 * k)
        copy_rows(area, ruler, ruler.h - 5, 5, 0, height - 5)
    tw = thumb.w // states
    th = thumb.h
    p = round((height - th) * frac)
    t = height - p - th
    c = t + th // 2
    if progress is not None and height - th > t:
        if progress.h == height:
            copy_rows(area, progress, c, height - c, 0, c)
        else:
            for k in range((height - t) // 8 + 1):
                copy_rows(area, progress, 5, 8, 0, t + 8 * k)
            copy_rows(area, progress, progress.h - 5, 5, 0, height - 5)
    tx = 0 if ruler.w < tw else (ruler.w - tw) // 2
    area.blit(hframe(thumb, states, 0), tx, t, BLUE)
    put(canvas, area, x, y)


def place(code, x, y, w, h, pw, ph):
    return {1: (x, y), 2: (x, ph - h - y), 3: (pw - w - x, y), 4: (pw - w - x, ph - h - y)}[code]


def text(canvas, s, x, y, colour, clip=None):
    s = ''.join(ch if ch in dr.SMALL else ' ' for ch in s.upper())
    img = dr.Img(canvas.w, canvas.h)
    img.px = canvas.px
    if clip is None:
        dr.draw_text(img, dr.SMALL, s, x, y, colour)
        return
    x0, y0, x1, y1 = clip
    tmp = dr.Img(x1 - x0, y1 - y0, (1, 2, 3))
    dr.draw_text(tmp, dr.SMALL, s, x - x0, y - y0, colour)
    canvas.blit(tmp, x0, y0, (1, 2, 3))


def title_complex(pic, width, e, m):
    """A title picture drawn across width by the dsComplex scheme."""
    out = dr.Img(width, pic.h)
    c = pic.w - 2 * (e + m)
    xc = e + m + (width - 2 * (e + m) - c) // 2
    for k in range((xc - e) // m + 1):
        copy_cols(out, pic, e, m, e + k * m, 0)
    copy_cols(out, pic, e + m, c, xc, 0)
    for k in range((width - e - xc - c) // m + 1):
        copy_cols(out, pic, pic.w - e - m, m, xc + c + k * m, 0)
    copy_cols(out, pic, 0, e, 0, 0)
    copy_cols(out, pic, pic.w - e, e, width - e, 0)
    return out


def tile_v(pic, height):
    out = dr.Img(pic.w, height)
    for y in range(height):
        for x in range(pic.w):
            out.set(x, y, pic.get(x, y % pic.h))
    return out


def main_window(art, skin, states):
    sheet = read_bmp(os.path.join(art, 'MAIN.bmp'))
    title = cut(sheet, 1, 1)
    bg = cut(sheet, 3, 1)
    w, h = bg.w, bg.h + title.h
    win = dr.Img(w, h)
    put(win, title, 0, 0)
    put(win, bg, 0, title.h)
    P = lambda k: skin.point('MWPositions', k)
    buttons = [('RewindBut', (4, 1), 3), ('PlayBut', (4, 2), 3), ('PauseBut', (4, 3), 3),
               ('StopBut', (4, 4), 3), ('ForwardBut', (4, 5), 3), ('OpenBut', (4, 6), 3),
               ('AboutBut', (4, 7), 3), ('CloseBut', (4, 8), 4), ('MinimizeBut', (4, 9), 4),
               ('MenuBut', (4, 10), 4), ('EQToggle', (5, 1), 3), ('PLToggle', (5, 2), 3),
               ('RepeatToggle', (5, 3), 3), ('ShuffleToggle', (5, 4), 3)]
    for key, (b, c), n in buttons:
        pic = cut(sheet, b, c)
        put(win, frame(pic, n, states.get(key, 0)), *P(key), key=BLUE)
    sx, sy = P('SeekingBar')
    h_slider(win, sx, sy, skin.int('MWSizes', 'SeekingBar'), cut(sheet, 6, 2), cut(sheet, 6, 3),
             cut(sheet, 6, 4), 0.37)
    vx, vy = P('VolumeBar')
    v_slider(win, vx, vy, skin.int('MWSizes', 'VolumeBar'), cut(sheet, 6, 5), cut(sheet, 6, 6),
             cut(sheet, 6, 7), 0.8)
    st = cut(sheet, 6, 1)
    put(win, hframe(st, 3, 0), *P('PlayState'))
    glyphs = cut(sheet, 7, 1)
    gw = glyphs.w // 12
    t = "-02:15"
    tx, ty = P('TimeLabel')
    tw, th = skin.point('MWSizes', 'TimeLabel')
    x = tx + (tw - len(t) * gw) // 2
    for ch in t:
        k = "0123456789:-".index(ch)
        put(win, glyphs.sub(k * gw, 0, gw, glyphs.h), x, ty)
        x += gw
    # Spectrum: bars of 3 with the description's gradient and black peaks.
    vx, vy = P('VisWindow')
    vw, vh = skin.point('MWSizes', 'VisWindow')
    top, bot = (169, 219, 255), (96, 157, 216)
    levels = [19, 23, 21, 17, 20, 15, 12, 14, 11, 9, 12, 10, 8, 9, 7, 6, 8, 5, 6, 4, 5, 3, 4, 2, 3, 2]
    for i, lv in enumerate(levels):
        bx = vx + 4 * i
        if bx + 3 > vx + vw:
            break
        for yy in range(vh - lv, vh):
            win.fill(bx, vy + yy, bx + 3, vy + yy + 1, dr.mix(top, bot, yy / vh))
        win.fill(bx, vy + vh - lv - 3, bx + 3, vy + vh - lv - 2, (0, 0, 0))
    sx, sy = P('SongLabel')
    sw, sh = skin.point('MWSizes', 'SongLabel')
    text(win, "1. ARTIST - SONG TITLE (4:05)", sx, sy + 4, (0, 0, 0), (sx, sy, sx + sw, sy + sh))
    rx, ry = P('RateLabel')
    rw, rh = skin.point('MWSizes', 'RateLabel')
    text(win, "192 KBPS 44 KHZ", rx, ry + 5, (0, 0, 0), (rx, ry, rx + rw, ry + rh))
    return win


def playlist_window(art, skin, width, height, active=True):
    sheet = read_bmp(os.path.join(art, 'PL.bmp'))
    win = dr.Img(width, height, dr.LIST_BG)
    title = cut(sheet, 1 if active else 2, 1)
    e, m = skin.point('PLSizes', 'TitleEdgeSize')
    put(win, title_complex(title, width, e, m), 0, 0)
    bottom = cut(sheet, 3, 1)
    e, m = skin.point('PLSizes', 'BottomEdgeSize')
    put(win, title_complex(bottom, width, e, m), 0, height - bottom.h)
    left, right = cut(sheet, 4, 10), cut(sheet, 4, 11)
    mid = height - title.h - bottom.h
    put(win, tile_v(left, mid), 0, title.h)
    put(win, tile_v(right, mid), width - right.w, title.h)
    # Rows of the list.
    rows = ["ARTIST - FIRST SONG", "ARTIST - SECOND SONG", "ANOTHER ONE - THIRD",
            "SOMEBODY - FOURTH SONG", "BAND - FIFTH", "LAST ARTIST - SIXTH"]
    up, down = cut(sheet, 4, 7), cut(sheet, 4, 8)
    ruler, thumb = cut(sheet, 4, 9), cut(sheet, 4, 6)
    panel_w = max(up.w, down.w, ruler.w)
    lx0, lx1 = left.w, width - right.w - panel_w
    sel = (170, 204, 255)
    for i, r in enumerate(rows):
        y = title.h + 2 + i * 13
        if y + 13 > height - bottom.h:
            break
        if i == 2:
            win.fill(lx0, y, lx1, y + 13, sel)
        win.fill(lx0, y, lx0 + 18, y + 13, sel)
        text(win, str(i + 1), lx0 + 3, y + 4, (0, 0, 0))
        text(win, r, lx0 + 22, y + 4, (209, 0, 0) if i == 1 else (0, 0, 0))
        text(win, "3:%02d" % (10 + 7 * i), lx1 - 20, y + 4, (0, 0, 0))
    px = width - right.w - panel_w
    put(win, frame(up, 3, 0), px, title.h, BLUE)
    put(win, frame(down, 3, 0), px, height - bottom.h - down.h // 3, BLUE)
    v_slider(win, px, title.h + up.h // 3, mid - up.h // 3 - down.h // 3, ruler, None, thumb, 0.9)
    names = ['AddBut', 'DelBut', 'SelBut', 'MiscBut', 'LoadBut']
    for i, n in enumerate(names):
        pic = frame(cut(sheet, 4, i + 1), 3, 0)
        x, y = skin.point('PLPositions', n)
        put(win, pic, *place(skin.int('PLPositions', n + 'Align'), x, y, pic.w, pic.h, width, height),
            key=BLUE)
    pic = frame(cut(sheet, 4, 12), 4, 0 if active else 3)
    x, y = skin.point('PLPositions', 'CloseBut')
    put(win, pic, *place(skin.int('PLPositions', 'CloseButAlign'), x, y, pic.w, pic.h, width, height),
        key=BLUE)
    fx, fy = skin.point('PLPositions', 'FindBox')
    fw, fh = skin.point('PLSizes', 'FindBox')
    minw = skin.point('PLSizes', 'PLMinSize')[0]
    fw += width - minw            # stretched with the window
    x, y = place(skin.int('PLPositions', 'FindBoxAlign'), fx, fy, fw, fh, width, height)
    win.fill(x, y, x + fw, y + fh, (252, 252, 252))
    win.hline(x, x + fw, y, (120, 120, 120))
    win.vline(x, y, y + fh, (120, 120, 120))
    text(win, " SEARCH", x + 2, y + 7, (0, 0, 0))
    return win


def eq_window(art, skin):
    sheet = read_bmp(os.path.join(art, 'EQ.bmp'))
    title = cut(sheet, 1, 1)
    bg = cut(sheet, 3, 1)
    win = dr.Img(bg.w, bg.h + title.h)
    put(win, title, 0, 0)
    put(win, bg, 0, title.h)
    P = lambda k: skin.point('EQPositions', k)
    put(win, frame(cut(sheet, 4, 8), 4, 0), *P('CloseBut'), key=BLUE)
    put(win, frame(cut(sheet, 4, 1), 3, 2), *P('ActiveToggle'), key=BLUE)
    put(win, frame(cut(sheet, 4, 2), 3, 0), *P('PresetsBut'), key=BLUE)
    ruler, prog, thumb = cut(sheet, 4, 3), cut(sheet, 4, 4), cut(sheet, 4, 5)
    values = [6, 8, 5, 2, 0, -2, -1, 3, 5, 7]
    for i, v in enumerate(values):
        x, y = P('Band%d' % (i + 1))
        v_slider(win, x, y, skin.int('EQSizes', 'Band%d' % (i + 1)), ruler, prog, thumb, (v + 15) / 30)
    x, y = P('PanningBar')
    h_slider(win, x, y, skin.int('EQSizes', 'PanningBar'), cut(sheet, 4, 6), None, cut(sheet, 4, 7), 0.5)
    return win


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--art', required=True)
    ap.add_argument('--skin', required=True)
    ap.add_argument('--out', required=True)
    ap.add_argument('--scale', type=int, default=3)
    args = ap.parse_args()
    skin = dr.Skin(dr.read_skin(args.skin))
    mw = main_window(args.art, skin, {'PLToggle': 2, 'EQToggle': 2, 'RepeatToggle': 2})
    mw2 = main_window(args.art, skin, {'PlayBut': 1, 'StopBut': 2, 'ShuffleToggle': 2})
    eq = eq_window(args.art, skin)
    pl = playlist_window(args.art, skin, mw.w, 140)
    pl_wide = playlist_window(args.art, skin, 420, 140, active=False)
    gap = 6
    w = max(mw.w * 2 + gap, pl_wide.w)
    h = mw.h + eq.h + pl.h + gap + pl_wide.h
    out = dr.Img(w, h, (120, 124, 130))
    out.blit(mw, 0, 0)
    out.blit(mw2, mw.w + gap, 0)
    out.blit(eq, 0, mw.h)
    out.blit(pl, 0, mw.h + eq.h)
    out.blit(pl_wide, 0, mw.h + eq.h + pl.h + gap)
    dr.write(args.out, dr.png_bytes(out, args.scale))


if __name__ == '__main__':
    main()
