#!/usr/bin/env python3
"""Draws the skin's generated pictures: the device tile pictures under skin/common/device_ico/ and the
caption button glyphs under skin/common/caption/. Standard library only: shapes are coverage tests
sampled 4 x 4 per pixel, composited over a transparent canvas and written as RGBA PNG through zlib.

Run from anywhere: python3 tools/skinart/skinart.py [skin folder]
"""

import math
import os
import struct
import sys
import zlib

SS = 4  # samples per pixel along each axis

# Palette of the skin (keep in step with the colours in skin/XML/*.xml).
GREY = (0x8A, 0x92, 0xA3)
GREY_DARK = (0x3A, 0x40, 0x4D)
ACCENT = (0x2B, 0x7F, 0xFF)
ACCENT_DEEP = (0x0B, 0x4F, 0x80)
SYNC = (0xFF, 0x4D, 0x9A)
WHITE = (0xF2, 0xF5, 0xFA)
BLACK = (0x12, 0x14, 0x19)


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]  # premultiplied rgba, 0..1

    def fill(self, inside, color, alpha=1.0, box=None):
        """Composites colour where inside(x, y) holds (x, y in pixel units, sub-pixel sampled)."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0) - 1), max(0, int(y0) - 1)
        x1, y1 = min(self.w, int(math.ceil(x1)) + 1), min(self.h, int(math.ceil(y1)) + 1)
        r, g, b = (c / 255.0 for c in color)
        step = 1.0 / SS
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = 0
                for sy in range(SS):
                    y = py + (sy + 0.5) * step
                    for sx in range(SS):
                        if inside(px + (sx + 0.5) * step, y):
                            hits += 1
                if not hits:
                    continue
                a = alpha * hits / (SS * SS)
                p = self.px[py * self.w + px]
                p[0] = r * a + p[0] * (1 - a)
                p[1] = g * a + p[1] * (1 - a)
                p[2] = b * a + p[2] * (1 - a)
                p[3] = a + p[3] * (1 - a)

    def png(self):
        rows = bytearray()
        for y in range(self.h):
            rows.append(0)
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                if a > 0:
                    r, g, b = r / a, g / a, b / a
                rows += bytes(max(0, min(255, round(v * 255))) for v in (r, g, b, a))

        def chunk(tag, data):
            body = tag + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) +
                chunk(b"IEND", b""))


# Shapes: each answers a coverage test and its bounding box. -------------------------------------------


def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside, (x0, y0, x1, y1)


def ellipse(cx, cy, rx, ry):
    return (lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0), (cx - rx, cy - ry, cx + rx, cy + ry)


def ring(cx, cy, r_out, r_in, a_from=0.0, a_to=360.0):
    """Ring segment; angles in degrees, 0 = right, counted clockwise (screen coordinates)."""

    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if d > r_out or d < r_in:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360.0
        lo, hi = a_from % 360.0, a_to % 360.0
        if a_to - a_from >= 360.0:
            return True
        return lo <= a <= hi if lo <= hi else (a >= lo or a <= hi)

    return inside, (cx - r_out, cy - r_out, cx + r_out, cy + r_out)


def segment(xa, ya, xb, yb, width):
    """A stroke with round ends."""
    half = width / 2.0
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy or 1e-9

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / length2))
        return (x - xa - t * dx) ** 2 + (y - ya - t * dy) ** 2 <= half * half

    return inside, (min(xa, xb) - half, min(ya, yb) - half, max(xa, xb) + half, max(ya, yb) + half)


def union(*shapes):
    tests = [s[0] for s in shapes]
    box = (min(s[1][0] for s in shapes), min(s[1][1] for s in shapes), max(s[1][2] for s in shapes),
           max(s[1][3] for s in shapes))
    return (lambda x, y: any(t(x, y) for t in tests)), box


def minus(shape, *holes):
    tests = [h[0] for h in holes]
    return (lambda x, y: shape[0](x, y) and not any(t(x, y) for t in tests)), shape[1]


def draw(canvas, shape, color, alpha=1.0):
    canvas.fill(shape[0], color, alpha, shape[1])


# Device pictures fill the whole 120 x 72 tile: the silhouette in the upper 52 pixels (centred at
# (60, 26)), the tile's name label over the band below, and a selection bar along the bottom edge.

TILE_W, TILE_H = 120, 72


def keyboard():
    body = rrect(18, 11, 102, 43, 5)
    keys = []
    for row in range(3):
        for col in range(11):
            x = 23 + col * 7
            y = 15 + row * 7
            keys.append(rrect(x, y, x + 5, y + 5, 1.2))
    keys.append(rrect(37, 36, 83, 40.5, 1.2))  # space bar
    return minus(body, *keys)


def mouse():
    body = rrect(47, 5, 73, 47, 12.5)
    split = rrect(59.4, 5, 60.6, 20, 0.3)
    wheel = rrect(57.5, 10, 62.5, 18, 2.5)
    return minus(body, split, wheel), wheel


def soft_pad():
    pad = rrect(14, 12, 106, 42, 9)
    stitch = minus(rrect(17, 15, 103, 39, 6.5), rrect(18.2, 16.2, 101.8, 37.8, 5.5))
    return minus(pad, stitch)


def hard_pad():
    pad = rrect(14, 12, 106, 42, 3)
    gloss = segment(30, 40, 52, 14, 5)
    gloss2 = segment(44, 40, 62, 19, 2.2)
    return minus(pad, gloss, gloss2)


def headset():
    band = ring(60, 28, 21, 17, 180, 360)
    left = rrect(35, 24, 45, 44, 4)
    right = rrect(75, 24, 85, 44, 4)
    mic = union(segment(40, 42, 50, 48, 2.2), ellipse(52, 48.5, 2.6, 2.6))
    return union(band, left, right, mic)


def hub():
    box = rrect(30, 16, 90, 38, 4)
    ports = [rrect(38 + i * 14, 24, 46 + i * 14, 30, 1) for i in range(4)]
    cable = union(segment(90, 27, 100, 27, 3), segment(100, 27, 106, 20, 3))
    return union(minus(box, *ports), cable)


def unknown():
    disc = ellipse(60, 26, 21, 21)
    top = ring(60, 20.5, 8.5, 4.5, 180, 450)
    stem = rrect(58, 24.5, 62, 31, 0.5)
    dot = ellipse(60, 36, 2.6, 2.6)
    return minus(disc, top, stem, dot)


def sync_badge(canvas, color):
    """Two linked rings in the upper right corner: the device takes part in synchronised lighting."""
    draw(canvas, ellipse(107, 10, 9.5, 9.5), BLACK)
    draw(canvas, ellipse(107, 10, 8.2, 8.2), color)
    draw(canvas, ring(104.3, 10, 4.3, 2.6), WHITE)
    draw(canvas, ring(109.7, 10, 4.3, 2.6), WHITE)


def device_picture(shape, state, synchro):
    c = Canvas(TILE_W, TILE_H)
    extra = None
    if isinstance(shape, tuple) and len(shape) == 2 and isinstance(shape[0], tuple):
        shape, extra = shape
    if state == "selected":
        # A soft glow under the silhouette, then the silhouette in the accent colour.
        draw(c, ellipse(60, 48, 46, 4.5), ACCENT, 0.35)
        draw(c, shape, ACCENT)
        draw(c, rrect(44, 68.5, 76, 71.5, 1.5), ACCENT)
        if extra:
            draw(c, extra, WHITE)
    else:
        draw(c, shape, GREY)
        if extra:
            draw(c, extra, GREY_DARK)
    if synchro:
        sync_badge(c, SYNC if state == "selected" else GREY_DARK)
    return c


DEVICES = {
    "kb_device_": keyboard,
    "ms_device_": mouse,
    "soft_mp_device_": soft_pad,
    "hard_mp_device_": hard_pad,
    "hd_device_": headset,
    "hub_device_": hub,
    "unknow_device_": unknown,
}

# Caption glyphs, 16 x 16. -------------------------------------------------------------------------------


def glyph_close():
    return union(segment(3.5, 3.5, 12.5, 12.5, 1.6), segment(12.5, 3.5, 3.5, 12.5, 1.6))


def glyph_min():
    return segment(3, 8.5, 13, 8.5, 1.6)


def glyph_max():
    return minus(rrect(2.5, 2.5, 13.5, 13.5, 1.5), rrect(4.1, 4.1, 11.9, 11.9, 0.5))


def glyph_restore():
    back = minus(rrect(5, 2, 14, 11, 1.2), rrect(6.5, 3.5, 12.5, 9.5, 0.4))
    front = minus(rrect(2, 5, 11, 14, 1.2), rrect(3.5, 6.5, 9.5, 12.5, 0.4))
    return union(minus(back, rrect(2, 5, 11, 14, 1.2)), front)


def glyph_skin():
    # A T-shirt.
    body = rrect(4.5, 4, 11.5, 14, 1)
    sleeves = union(segment(4.5, 4.5, 1.8, 7.5, 2.6), segment(11.5, 4.5, 14.2, 7.5, 2.6))
    neck = ellipse(8, 3.6, 2.2, 1.8)
    return minus(union(body, sleeves), neck)


def glyph_game():
    pad = rrect(1.5, 4.5, 14.5, 12.5, 4)
    cross = union(rrect(3.6, 7.9, 7.4, 9.1, 0.2), rrect(4.9, 6.6, 6.1, 10.4, 0.2))
    buttons = union(ellipse(10.6, 7.4, 1, 1), ellipse(12.2, 9.4, 1, 1))
    return minus(pad, cross, buttons)


def glyph_cloud():
    return union(ellipse(5.5, 10, 3.5, 3), ellipse(9, 7.5, 4.2, 4.2), ellipse(12, 10.5, 2.8, 2.5),
                 rrect(5, 9.5, 12.5, 13, 0.5))


def glyph_eye():
    def lens(r, off):
        return (lambda x, y: math.hypot(x - 8, y - 8 - off) <= r and math.hypot(x - 8, y - 8 + off) <= r), (0, 0, 16, 16)

    outline = minus(lens(9.5, 6.2), lens(8.1, 6.2))
    return union(outline, ellipse(8, 8, 2.4, 2.4))


def glyph_settings():
    teeth = [segment(8 + 5.2 * math.cos(math.radians(a)), 8 + 5.2 * math.sin(math.radians(a)),
                     8 + 6.6 * math.cos(math.radians(a)), 8 + 6.6 * math.sin(math.radians(a)), 2.2)
             for a in range(0, 360, 45)]
    return minus(union(ellipse(8, 8, 5.4, 5.4), *teeth), ellipse(8, 8, 2.3, 2.3))


GLYPHS = {
    "close": glyph_close,
    "min": glyph_min,
    "max": glyph_max,
    "restore": glyph_restore,
    "skin": glyph_skin,
    "gamemode": glyph_game,
    "cloud": glyph_cloud,
    "smarteyes": glyph_eye,
    "setting": glyph_settings,
}


def glyph(shape, color):
    c = Canvas(16, 16)
    draw(c, shape, color)
    return c


def sync_toggle(on):
    """The small synchronised-lighting toggle of a tile, 20 x 20."""
    c = Canvas(20, 20)
    draw(c, ellipse(10, 10, 9.5, 9.5), SYNC if on else GREY_DARK)
    draw(c, ring(7.3, 10, 4.3, 2.6), WHITE if on else GREY)
    draw(c, ring(12.7, 10, 4.3, 2.6), WHITE if on else GREY)
    return c


def arrow(left, color):
    c = Canvas(16, 16)
    if left:
        draw(c, union(segment(10.5, 3, 5.5, 8, 2), segment(5.5, 8, 10.5, 13, 2)), color)
    else:
        draw(c, union(segment(5.5, 3, 10.5, 8, 2), segment(10.5, 8, 5.5, 13, 2)), color)
    return c


def scaled(shape, kx, ky, dx, dy):
    inside, (x0, y0, x1, y1) = shape
    return (lambda x, y: inside((x - dx) / kx, (y - dy) / ky)), (x0 * kx + dx, y0 * ky + dy, x1 * kx + dx, y1 * ky + dy)


# Large device pictures behind the key buttons of the device pages: (file, size, shape, scale, offset).
BIG = [
    ("mouse.png", (180, 290), lambda: mouse()[0], (6.6, 6.6), (-47 * 6.6 + 7, -5 * 6.6 + 6)),
    ("mousepad.png", (380, 210), soft_pad, (4.0, 6.6), (-14 * 4.0 + 6, -12 * 6.6 + 6)),
    ("headset.png", (260, 240), headset, (4.8, 4.8), (-35 * 4.8 + 10, -7 * 4.8 + 14)),
]
BODY = (0x2A, 0x2F, 0x3A)


def big_picture(size, shape):
    c = Canvas(*size)
    draw(c, shape, BODY)
    return c


def write(path, canvas):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(canvas.png())


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    skin = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "skin")
    icons = os.path.join(skin, "common", "device_ico")
    for prefix, make in DEVICES.items():
        for state in ("normal", "selected"):
            for synchro in (False, True):
                name = prefix + ("synchro_" if synchro else "") + state + ".png"
                write(os.path.join(icons, name), device_picture(make(), state, synchro))
    for name, size, make, (kx, ky), (dx, dy) in BIG:
        write(os.path.join(skin, "common", "device_big", name), big_picture(size, scaled(make(), kx, ky, dx, dy)))
    caption = os.path.join(skin, "common", "caption")
    for name, make in GLYPHS.items():
        write(os.path.join(caption, name + ".png"), glyph(make(), GREY))
        write(os.path.join(caption, name + "_hot.png"), glyph(make(), WHITE))
    write(os.path.join(skin, "common", "sync_off.png"), sync_toggle(False))
    write(os.path.join(skin, "common", "sync_on.png"), sync_toggle(True))
    write(os.path.join(skin, "common", "arrow_left.png"), arrow(True, GREY))
    write(os.path.join(skin, "common", "arrow_left_hot.png"), arrow(True, ACCENT))
    write(os.path.join(skin, "common", "arrow_right.png"), arrow(False, GREY))
    write(os.path.join(skin, "common", "arrow_right_hot.png"), arrow(False, ACCENT))


if __name__ == "__main__":
    main()
