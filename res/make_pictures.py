#!/usr/bin/env python3
"""Draws every picture NocTuro carries in its resources.

Run from anywhere:  python3 res/make_pictures.py
The files land in res/pictures/ next to this script.  Only the Python
standard library is used, and the output is byte-for-byte the same on
every run, so the generated files can live in the repository.

Everything is drawn with a handful of geometric shapes, sampled on an
8 x 8 grid inside every pixel and averaged (plain box anti-aliasing).

See-through conventions used by the program:
  * switch_*.bmp           pure black (0,0,0) is the key colour
  * the other 24-bit BMPs  pure magenta (255,0,255) is the key colour;
                           soft edges are blended against the dialog
                           colour (236,233,216), never against magenta
  * *_alpha.bmp            32-bit BI_RGB with premultiplied alpha
  * icons and the cursor   AND mask (plus alpha for the 32-bit ones)

The window's pictures also come at 150 % and 200 % display scale
(<name>_150.bmp, <name>_200.bmp): the same drawing at 1.5 and 2 pixels
per design unit, in the same format and with the same key colour.
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "pictures")

SS = 8                      # samples per pixel along each axis
MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)
DIALOG = (236, 233, 216)    # colour the soft edges of keyed bitmaps fade into


# ---------------------------------------------------------------------------
# Shapes: each one is a predicate inside(x, y) in pixel units, where the
# pixel (i, j) covers the square [i, i+1) x [j, j+1).
# ---------------------------------------------------------------------------

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry, angle=0.0):
    ca, sa = math.cos(math.radians(angle)), math.sin(math.radians(angle))

    def inside(x, y):
        dx, dy = x - cx, y - cy
        u = dx * ca + dy * sa
        v = -dx * sa + dy * ca
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0
    return inside


def ring(cx, cy, r_in, r_out):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def _seg_dist2(x, y, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / ll))
    px, py = x0 + t * dx - x, y0 + t * dy - y
    return px * px + py * py


def seg(x0, y0, x1, y1, width):
    """A straight stroke with round ends."""
    h2 = (width / 2.0) ** 2
    return lambda x, y: _seg_dist2(x, y, x0, y0, x1, y1) <= h2


def arc(cx, cy, r, width, a0, a1):
    """A round-capped stroke along a circle.  Angles are in degrees, 0 points
    up and they grow clockwise; the arc runs clockwise from a0 to a1."""
    h = width / 2.0
    span = (a1 - a0) % 360.0
    e0 = (cx + r * math.sin(math.radians(a0)), cy - r * math.cos(math.radians(a0)))
    e1 = (cx + r * math.sin(math.radians(a1)), cy - r * math.cos(math.radians(a1)))

    def inside(x, y):
        dx, dy = x - cx, y - cy
        d = math.hypot(dx, dy)
        a = math.degrees(math.atan2(dx, -dy))
        if (a - a0) % 360.0 <= span:
            return abs(d - r) <= h
        return ((x - e0[0]) ** 2 + (y - e0[1]) ** 2 <= h * h or
                (x - e1[0]) ** 2 + (y - e1[1]) ** 2 <= h * h)
    return inside


def poly(points):
    """Filled polygon (even-odd rule)."""
    n = len(points)

    def inside(x, y):
        c = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, *b):
    return lambda x, y: a(x, y) and not any(s(x, y) for s in b)


def both(a, b):
    return lambda x, y: a(x, y) and b(x, y)


# Colour sources: a plain (r, g, b) tuple or a function of (x, y).

def vgrad(y0, c0, y1, c1):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return colour


def rgrad(cx, cy, r, c0, c1):
    def colour(x, y):
        t = max(0.0, min(1.0, math.hypot(x - cx, y - cy) / r))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return colour


def lighter(c, f):
    return tuple(v + (255 - v) * f for v in c)


def darker(c, f):
    return tuple(v * (1.0 - f) for v in c)


# ---------------------------------------------------------------------------
# Canvas: a super-sampled RGBA surface (premultiplied, floats 0..255)
# ---------------------------------------------------------------------------

def scaled(n, unit):
    """Pixels that n design units take at unit pixels per unit, halves
    rounded up (33 at 150 % gives 50)."""
    return int(math.floor(n * unit + 0.5))


class Canvas:
    """unit: real pixels per drawing unit, so that a picture designed on 16
    units can be drawn at 20, 24 or 32 pixels."""
    def __init__(self, w, h, unit=1.0):
        self.w, self.h = w, h
        self.unit = unit
        self.W, self.H = w * SS, h * SS
        n = self.W * self.H
        self.r = [0.0] * n
        self.g = [0.0] * n
        self.b = [0.0] * n
        self.a = [0.0] * n

    def fill(self, shape, colour, opacity=1.0):
        flat = isinstance(colour, tuple)
        inv = 1.0 / (SS * self.unit)
        for j in range(self.H):
            y = (j + 0.5) * inv
            row = j * self.W
            for i in range(self.W):
                x = (i + 0.5) * inv
                if not shape(x, y):
                    continue
                c = colour if flat else colour(x, y)
                k = row + i
                keep = 1.0 - opacity
                self.r[k] = c[0] * opacity + self.r[k] * keep
                self.g[k] = c[1] * opacity + self.g[k] * keep
                self.b[k] = c[2] * opacity + self.b[k] * keep
                self.a[k] = opacity + self.a[k] * keep

    def erase(self, shape):
        """Cut a hole: the samples inside become fully see-through."""
        inv = 1.0 / (SS * self.unit)
        for j in range(self.H):
            y = (j + 0.5) * inv
            for i in range(self.W):
                if shape((i + 0.5) * inv, y):
                    k = j * self.W + i
                    self.r[k] = self.g[k] = self.b[k] = self.a[k] = 0.0

    def pixels(self):
        """Box-filter down to real pixels: rows of (r, g, b, alpha 0..1),
        colours not premultiplied."""
        out = []
        n = SS * SS
        for py in range(self.h):
            row = []
            for px in range(self.w):
                r = g = b = a = 0.0
                for j in range(py * SS, py * SS + SS):
                    base = j * self.W + px * SS
                    for k in range(base, base + SS):
                        r += self.r[k]
                        g += self.g[k]
                        b += self.b[k]
                        a += self.a[k]
                if a <= 0.0:
                    row.append((0.0, 0.0, 0.0, 0.0))
                else:
                    row.append((r / a, g / a, b / a, a / n))
            out.append(row)
        return out


def clamp8(v):
    return max(0, min(255, int(round(v))))


# ---------------------------------------------------------------------------
# Turning RGBA pixels into the formats the program needs
# ---------------------------------------------------------------------------

def keyed(pix, key, threshold=0.4, edge=DIALOG):
    """Flatten against a key colour: weak pixels become the key, the rest
    are blended against the dialog colour.  No drawn pixel may come out
    equal to the key."""
    rows = []
    for row in pix:
        out = []
        for r, g, b, a in row:
            if a < threshold:
                out.append(key)
                continue
            c = tuple(clamp8(v * a + e * (1.0 - a)) for v, e in zip((r, g, b), edge))
            if c == key:
                c = (c[0], c[1] ^ 1, c[2]) if key == MAGENTA else (1, 1, 1)
            out.append(c)
        rows.append(out)
    return rows


def _row_pad(n):
    return b"\0" * ((4 - n % 4) % 4)


def bmp24(rows):
    h, w = len(rows), len(rows[0])
    data = bytearray()
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        data += line + _row_pad(len(line))
    return _bmp_file(w, h, 24, bytes(data))


def bmp32_premultiplied(pix):
    h, w = len(pix), len(pix[0])
    data = bytearray()
    for row in reversed(pix):
        for r, g, b, a in row:
            a8 = clamp8(a * 255)
            f = a8 / 255.0
            data += bytes((clamp8(b * f), clamp8(g * f), clamp8(r * f), a8))
    return _bmp_file(w, h, 32, bytes(data))


def _info_header(w, h, bpp, image_size, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, image_size,
                       2835, 2835, colours, 0)


def _bmp_file(w, h, bpp, data):
    head = _info_header(w, h, bpp, len(data))
    off = 14 + len(head)
    return struct.pack("<2sIHHI", b"BM", off + len(data), 0, 0, off) + head + data


def and_mask(w, h, transparent):
    """1-bit mask, bottom-up, rows padded to 32 bits; transparent(x, y)
    tells which pixels show the desktop through."""
    data = bytearray()
    stride = ((w + 31) // 32) * 4
    for y in reversed(range(h)):
        line = bytearray(stride)
        for x in range(w):
            if transparent(x, y):
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    return bytes(data)


def icon_image_32(pix):
    """One 32-bit icon image (straight alpha) with a matching AND mask."""
    h, w = len(pix), len(pix[0])
    xor = bytearray()
    for row in reversed(pix):
        for r, g, b, a in row:
            a8 = clamp8(a * 255)
            if a8 == 0:
                xor += b"\0\0\0\0"
            else:
                xor += bytes((clamp8(b), clamp8(g), clamp8(r), a8))
    mask = and_mask(w, h, lambda x, y: pix[y][x][3] < 0.5)
    head = _info_header(w, h * 2, 32, len(xor) + len(mask))
    return w, h, 0, 32, head + bytes(xor) + mask


def icon_image_8(rows, transparent):
    """One 256-colour icon image; rows hold (r, g, b) tuples, transparent
    pixels are stored as index 0 (black) under a set AND bit."""
    h, w = len(rows), len(rows[0])
    palette = [BLACK]
    for y in range(h):
        for x in range(w):
            if not transparent(x, y) and rows[y][x] not in palette:
                palette.append(rows[y][x])
    if len(palette) > 256:
        raise ValueError("too many colours for an 8-bit icon")
    index = {c: i for i, c in enumerate(palette)}
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    pal += b"\0" * (4 * (256 - len(palette)))
    xor = bytearray()
    for y in reversed(range(h)):
        line = bytes(0 if transparent(x, y) else index[rows[y][x]] for x in range(w))
        xor += line + _row_pad(len(line))
    mask = and_mask(w, h, transparent)
    head = _info_header(w, h * 2, 8, len(xor) + len(mask), 256)
    return w, h, 0, 8, head + pal + bytes(xor) + mask


def ico_file(images, cursor_hotspot=None):
    """images: (w, h, colour_count, bpp, data) tuples.  With a hot spot the
    file becomes a .cur and the entry carries the hot spot instead of the
    planes / bit count."""
    kind = 2 if cursor_hotspot else 1
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for w, h, count, bpp, data in images:
        if cursor_hotspot:
            f1, f2 = cursor_hotspot
        else:
            f1, f2 = 1, bpp
        out += struct.pack("<BBBBHHII", w % 256, h % 256, count, 0, f1, f2,
                           len(data), offset)
        offset += len(data)
        body += data
    return out + body


# ---------------------------------------------------------------------------
# The power symbol and the red button it sits on
# ---------------------------------------------------------------------------

def power_symbol(cv, cx, cy, r, stroke, colour, bar=True, gap=40.0,
                 bar_top=None, bar_end=None):
    """A ring open at the top, crossed by a vertical bar."""
    cv.fill(arc(cx, cy, r, stroke, gap, 360.0 - gap), colour)
    if bar:
        top = cy - r - stroke * 0.45 if bar_top is None else bar_top
        end = cy - r * 0.1 if bar_end is None else bar_end
        cv.fill(seg(cx, top, cx, end, stroke), colour)


RED_NORMAL = ((232, 64, 52), (176, 22, 18))
RED_HOVER = ((250, 112, 98), (214, 56, 46))
RED_PRESSED = ((168, 30, 24), (118, 12, 10))


def red_square(cv, x0, y0, x1, y1, radius, reds, border=1.0, gloss=True):
    top, bottom = reds
    cv.fill(rrect(x0, y0, x1, y1, radius), darker(bottom, 0.3))
    b = border
    cv.fill(rrect(x0 + b, y0 + b, x1 - b, y1 - b, max(radius - b, 0.5)),
            vgrad(y0, top, y1, bottom))
    if gloss:
        h = (y1 - y0)
        cv.fill(both(rrect(x0 + b, y0 + b, x1 - b, y1 - b, max(radius - b, 0.5)),
                     ellipse((x0 + x1) / 2, y0 + h * 0.05, (x1 - x0) * 0.62, h * 0.45)),
                (255, 255, 255), 0.16)


def design(w, h, unit):
    """A canvas for a picture designed on w x h units, drawn at unit pixels
    per unit."""
    return Canvas(scaled(w, unit), scaled(h, unit), unit)


def switch_bitmap(reds, symbol, shift=0.0, unit=1.0):
    cv = design(33, 33, unit)
    red_square(cv, 0, 0, 33, 33, 8.0, reds, border=1.2)
    power_symbol(cv, 16.5 + shift, 17.6 + shift, 8.4, 2.9, symbol, gap=38.0)
    return cv.pixels()


def red_icon(size, symbol=(255, 255, 255), bar=True):
    cv = Canvas(size, size)
    m = {16: 0.0, 32: 0.5, 48: 1.0}.get(size, size / 32.0)
    red_square(cv, m, m, size - m, size - m, size * 0.22, RED_NORMAL,
               border=max(1.0, size / 28.0), gloss=size > 16)
    c = size / 2.0
    r = size * 0.27
    stroke = max(1.55, size * 0.095)
    power_symbol(cv, c, c + size * 0.035, r, stroke, symbol, bar=bar, gap=40.0)
    return cv.pixels()


# ---------------------------------------------------------------------------
# The small pictures
# ---------------------------------------------------------------------------

def loudspeaker(unit=1.0):
    cv = design(16, 16, unit)
    outline = (84, 86, 92)
    cv.fill(poly([(0.6, 5.4), (4.2, 5.4), (8.2, 1.6), (8.2, 14.4), (4.2, 10.6), (0.6, 10.6)]),
            outline)
    cv.fill(poly([(1.6, 6.4), (4.6, 6.4), (7.2, 4.0), (7.2, 12.0), (4.6, 9.6), (1.6, 9.6)]),
            vgrad(2.0, (204, 206, 212), 14.0, (132, 134, 142)))
    cv.fill(rect(4.0, 6.2, 4.8, 9.8), (112, 114, 120), 0.7)
    blue = (92, 164, 236)
    cv.fill(arc(7.4, 8.0, 3.4, 1.3, 52, 128), blue)
    cv.fill(arc(7.4, 8.0, 6.2, 1.3, 48, 132), lighter(blue, 0.15))
    return cv.pixels()


def folder(unit=1.0):
    cv = design(16, 16, unit)
    edge = (150, 108, 22)
    back = poly([(0.6, 2.6), (5.8, 2.6), (7.2, 4.2), (13.4, 4.2), (13.4, 13.6), (0.6, 13.6)])
    cv.fill(back, edge)
    cv.fill(poly([(1.6, 3.6), (5.4, 3.6), (6.8, 5.2), (12.4, 5.2), (12.4, 12.6), (1.6, 12.6)]),
            (226, 178, 56))
    # a sheet of paper peeking out
    cv.fill(rect(3.0, 5.6, 11.6, 10.0), (140, 140, 140))
    cv.fill(rect(3.7, 6.3, 10.9, 10.0), (252, 252, 250))
    # the front flap, tipped open
    flap = poly([(3.2, 7.0), (15.6, 7.0), (13.2, 13.6), (0.6, 13.6)])
    cv.fill(flap, edge)
    cv.fill(poly([(4.0, 8.0), (14.2, 8.0), (12.5, 12.6), (2.0, 12.6)]),
            vgrad(8.0, (255, 232, 124), 12.6, (246, 196, 64)))
    return cv.pixels()


def paint_palette(unit=1.0):
    cv = design(16, 16, unit)
    edge = (128, 84, 40)
    notch = (12.9, 13.1)
    cv.fill(minus(ellipse(8.0, 8.4, 7.5, 6.0, -18.0), circle(*notch, 2.5)), edge)
    cv.fill(minus(ellipse(8.0, 8.4, 6.5, 5.0, -18.0), circle(*notch, 3.5)),
            vgrad(3.0, (240, 208, 150), 14.0, (214, 168, 104)))
    # thumb hole
    cv.fill(circle(7.8, 11.0, 1.9), edge)
    cv.erase(circle(7.8, 11.0, 1.2))
    for (x, y), c in (((3.9, 8.8), (222, 30, 30)), ((5.0, 5.3), (250, 200, 20)),
                      ((8.7, 4.1), (40, 170, 60)), ((12.2, 5.4), (40, 90, 220))):
        cv.fill(circle(x, y, 1.45), darker(c, 0.35))
        cv.fill(circle(x - 0.15, y - 0.15, 1.05), c)
    return cv.pixels()


def reset_button(unit=1.0):
    cv = design(8, 8, unit)
    cv.fill(circle(4.0, 4.0, 3.9), (72, 92, 124))
    cv.fill(circle(4.0, 4.0, 3.0), rgrad(2.9, 2.9, 4.4, (206, 218, 236), (122, 142, 178)))
    return cv.pixels()


def small_clock(unit=1.0):
    """The "A heure fixe..." control: a clock face, the hands at three o'clock, a red hub."""
    cv = design(16, 16, unit)
    cv.fill(circle(8.0, 8.0, 7.6), (72, 92, 124))
    cv.fill(circle(8.0, 8.0, 6.5), rgrad(6.6, 6.2, 8.4, (255, 255, 255), (214, 222, 236)))
    for k in range(4):
        a = math.radians(k * 90)
        sx, sy = math.sin(a), -math.cos(a)
        cv.fill(seg(8.0 + 4.7 * sx, 8.0 + 4.7 * sy, 8.0 + 5.6 * sx, 8.0 + 5.6 * sy, 1.1), (104, 112, 128))
    hand = (36, 40, 52)
    cv.fill(rect(7.0, 3.0, 9.0, 8.0), hand)
    cv.fill(rect(8.0, 7.0, 11.5, 9.0), hand)
    cv.fill(circle(8.0, 8.0, 1.1), (214, 30, 30))
    return cv.pixels()


def info_letter(unit=1.0):
    cv = design(7, 13, unit)
    blue = (0, 60, 204)
    cv.fill(rect(1, 1, 6, 3), blue)       # top serif
    cv.fill(rect(2, 3, 5, 9), blue)       # stem
    cv.fill(rect(1, 9, 6, 11), blue)      # bottom serif
    return cv.pixels()


def alarm_clock(unit=1.0):
    cv = design(32, 32, unit)
    dark = (46, 50, 62)
    metal_hi, metal_lo = (190, 198, 214), (92, 100, 122)
    # feet
    for x0, x1 in ((9.5, 6.2), (22.5, 25.8)):
        cv.fill(seg(x0, 25.0, x1, 29.6, 3.4), dark)
        cv.fill(seg(x0, 25.0, x1, 29.6, 1.6), metal_lo)
    # bells and the striker between them
    cv.fill(seg(16.0, 3.0, 16.0, 6.0, 1.6), dark)
    cv.fill(circle(16.0, 2.6, 1.6), dark)
    for cx in (7.2, 24.8):
        cv.fill(circle(cx, 7.2, 5.4), dark)
        cv.fill(circle(cx, 7.2, 4.4), rgrad(cx - 1.5, 5.5, 6.0, (236, 238, 244), (140, 146, 164)))
    # case and face
    cv.fill(circle(16.0, 17.0, 13.4), dark)
    cv.fill(circle(16.0, 17.0, 12.4), vgrad(4.0, metal_hi, 30.0, metal_lo))
    cv.fill(circle(16.0, 17.0, 10.2), dark)
    cv.fill(circle(16.0, 17.0, 9.4), vgrad(7.0, (255, 255, 252), 27.0, (226, 228, 234)))
    for k in range(12):
        a = math.radians(k * 30)
        sx, sy = math.sin(a), -math.cos(a)
        if k % 3:
            cv.fill(circle(16.0 + 7.7 * sx, 17.0 + 7.7 * sy, 0.6), (120, 124, 136))
        else:
            cv.fill(seg(16.0 + 6.6 * sx, 17.0 + 6.6 * sy, 16.0 + 8.0 * sx, 17.0 + 8.0 * sy, 1.3),
                    (84, 88, 100))
    power_symbol(cv, 16.0, 17.5, 3.9, 1.7, (214, 30, 30), gap=42.0)
    return cv.pixels()


# ---------------------------------------------------------------------------
# Tray animations
# ---------------------------------------------------------------------------

PALE = (255, 206, 206)
PINK = (244, 140, 150)
EMBER = (124, 12, 10)


# The notification area shows small icons at 16 pixels at 100 %, 20 at 125 %,
# 24 at 150 % and 32 at 200 %: each frame carries all four.
TRAY_SIZES = (16, 20, 24, 32)


def tray_xp_frames(size):
    looks = [((255, 255, 255), True)] * 3 + [(PALE, True), (PINK, True)] + \
            [(EMBER, False)] * 3 + [(PINK, True), (PALE, True)]
    return [red_icon(size, colour, bar) for colour, bar in looks]


def monitor(screen, size=16):
    """A grey monitor seen slightly from the left, designed on 16 x 16.
    screen is 'sign' (blue with a yellow sparkle), 'blue' or 'dark'."""
    cv = Canvas(size, size, size / 16.0)
    outline = (56, 58, 64)
    # foot and neck
    cv.fill(poly([(3.0, 12.4), (11.6, 12.0), (13.6, 14.8), (1.4, 15.4)]), outline)
    cv.fill(poly([(3.6, 13.2), (11.0, 12.8), (12.2, 14.2), (2.8, 14.6)]), (168, 170, 176))
    # the case behind the front, going back to the right
    cv.fill(poly([(10.0, 0.6), (15.4, 2.8), (15.4, 11.0), (10.4, 12.8)]), outline)
    cv.fill(poly([(10.8, 1.9), (14.5, 3.5), (14.5, 10.4), (10.8, 11.6)]),
            vgrad(1.0, (150, 152, 160), 12.0, (108, 110, 118)))
    # front bezel
    front = [(0.6, 2.8), (11.4, 0.6), (11.4, 13.0), (0.6, 12.4)]
    cv.fill(poly(front), outline)
    cv.fill(poly([(1.5, 3.6), (10.5, 1.7), (10.5, 12.1), (1.5, 11.5)]),
            vgrad(1.0, (222, 222, 226), 13.0, (176, 178, 184)))
    glass = [(2.6, 4.6), (9.5, 3.0), (9.5, 10.4), (2.6, 10.0)]
    if screen == "dark":
        def chequer(x, y):
            return (0, 0, 0) if (int(x) + int(y)) % 2 else (24, 30, 84)
        cv.fill(poly(glass), chequer)
    else:
        cv.fill(poly(glass), vgrad(3.0, (64, 112, 232), 10.4, (20, 52, 178)))
    if screen == "sign":
        cx, cy = 6.0, 6.9
        yellow = (255, 226, 40)
        cv.fill(poly([(cx, cy - 2.6), (cx + 0.8, cy - 0.8), (cx + 2.6, cy),
                      (cx + 0.8, cy + 0.8), (cx, cy + 2.6), (cx - 0.8, cy + 0.8),
                      (cx - 2.6, cy), (cx - 0.8, cy - 0.8)]), yellow)
    # power light on the bezel
    cv.fill(rect(8.6, 10.9, 10.0, 11.6), (60, 200, 60))
    return cv.pixels()


def tray_std_frames(size):
    looks = ["sign"] * 3 + ["blue"] + ["dark"] * 5 + ["blue"]
    return [monitor(s, size) for s in looks]


def opaque_rows(pix, threshold=0.5):
    """Colours for a mask-only icon: solid where covered, no edge blending."""
    rows = [[tuple(clamp8(v) for v in p[:3]) for p in row] for row in pix]
    return rows, (lambda x, y: pix[y][x][3] < threshold)


# ---------------------------------------------------------------------------
# The hand cursor (1 bit per pixel: black outline, white fill)
# ---------------------------------------------------------------------------

HAND_HOTSPOT = (13, 5)


def hand_cursor():
    w = h = 32
    # Fill shapes; the tip of the index finger's outline lands on (13, 5).
    hand = union(
        rrect(12.0, 6.0, 16.0, 21.0, 1.9),                  # index finger
        rrect(16.0, 11.0, 20.0, 21.0, 1.9),                 # middle finger
        rrect(20.0, 12.0, 24.0, 21.0, 1.9),                 # ring finger
        rrect(24.0, 14.0, 27.0, 22.0, 1.5),                 # little finger
        poly([(11.5, 17.0), (27.0, 17.5), (27.0, 24.0), (25.0, 27.5),
              (25.0, 30.0), (13.0, 30.0), (13.0, 28.0), (9.0, 25.0)]),    # palm
        seg(5.2, 14.8, 11.6, 23.4, 4.2),                    # thumb
    )
    fill = [[False] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            hits = sum(hand(x + (i + 0.5) / SS, y + (j + 0.5) / SS)
                       for j in range(SS) for i in range(SS))
            fill[y][x] = hits * 2 >= SS * SS
    black = [[False] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if fill[y][x]:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                u, v = x + dx, y + dy
                if 0 <= u < w and 0 <= v < h and fill[v][u]:
                    black[y][x] = True
    # creases between the fingers
    for x, y0, y1 in ((16, 12, 19), (20, 13, 19), (24, 15, 20)):
        for y in range(y0, y1):
            black[y][x] = True
    # an outline pixel is never also white
    for y in range(h):
        for x in range(w):
            if black[y][x]:
                fill[y][x] = False
    return fill, black


def cursor_file():
    fill, black = hand_cursor()
    w = h = 32
    xor = bytearray()
    for y in reversed(range(h)):
        line = bytearray(4)
        for x in range(w):
            if fill[y][x]:
                line[x // 8] |= 0x80 >> (x % 8)
        xor += line
    mask = and_mask(w, h, lambda x, y: not (fill[y][x] or black[y][x]))
    pal = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    head = _info_header(w, h * 2, 1, len(xor) + len(mask), 2)
    image = (w, h, 2, 1, head + pal + bytes(xor) + mask)
    return ico_file([image], cursor_hotspot=HAND_HOTSPOT)


def transparent_icon():
    blank = [[BLACK] * 16 for _ in range(16)]
    return ico_file([icon_image_8(blank, lambda x, y: True)])


# ---------------------------------------------------------------------------

def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


# Above the numbers the resource compiler gives the images of its ICON statements.
TRAY_IMAGE_IDS = 1000


def tray_resources(animations):
    """animations: (look, frames) pairs, frames[i] the images of frame i at
    every tray size.  The frames repeat pictures (three frames of the same
    look, and so on), so each distinct image is stored once, as an icon
    image of its own (tray_<look>_<frame>_<size>.bin, named after the first
    frame showing it); tray.rc gives every frame its name (TRAYXP0..9,
    TRAYSTD0..9) as an icon directory pointing at its images, which loads
    by name like the ICON statement of a whole .ico file."""
    images = {}             # image data -> resource number
    lines = ["/* Written by make_pictures.py: the tray's animation frames. */"]
    groups = []
    for look, frames in animations:
        for i, frame in enumerate(frames):
            words = [0, 1, len(frame)]
            for w, h, count, bpp, data in frame:
                if data not in images:
                    images[data] = TRAY_IMAGE_IDS + len(images)
                    file = "tray_%s_%d_%d.bin" % (look, i, w)
                    write(file, data)
                    lines.append('%d 3 "pictures/%s"' % (images[data], file))
                entry = struct.pack("<BBBBHHIH", w % 256, h % 256, count, 0, 1, bpp, len(data), images[data])
                words += struct.unpack("<7H", entry)
            groups.append("TRAY%s%d 14 { %s }" % (look.upper(), i, ", ".join("0x%04x" % v for v in words)))
    write("tray.rc", ("\n".join(lines + groups) + "\n").encode("ascii"))


# The window's pictures: as designed (100 %), and for 150 % and 200 %.
WINDOW_SCALES = (("", 1.0), ("_150", 1.5), ("_200", 2.0))


def window_pictures(suffix, unit):
    def put(name, data):
        write(name + suffix + ".bmp", data)

    white = (255, 255, 255)
    put("switch_normal", bmp24(keyed(switch_bitmap(RED_NORMAL, white, unit=unit), BLACK)))
    put("switch_hover", bmp24(keyed(switch_bitmap(RED_HOVER, white, unit=unit), BLACK)))
    put("switch_pressed",
        bmp24(keyed(switch_bitmap(RED_PRESSED, (196, 178, 178), 0.5, unit), BLACK)))

    speaker = loudspeaker(unit)
    put("listen_alpha", bmp32_premultiplied(speaker))
    put("listen_plain", bmp24(keyed(speaker, MAGENTA)))
    put("folder", bmp24(keyed(folder(unit), MAGENTA)))
    put("palette", bmp24(keyed(paint_palette(unit), MAGENTA)))
    put("reset", bmp24(keyed(reset_button(unit), MAGENTA)))
    put("info_letter", bmp24(keyed(info_letter(unit), MAGENTA)))
    put("small_clock", bmp24(keyed(small_clock(unit), MAGENTA)))

    clock = alarm_clock(unit)
    put("clock_alpha", bmp32_premultiplied(clock))
    put("clock_plain", bmp24(keyed(clock, MAGENTA)))


def main():
    os.makedirs(OUT, exist_ok=True)

    write("hand.cur", cursor_file())
    write("nocturo.ico", ico_file([icon_image_32(red_icon(s)) for s in (16, 32, 48)]))

    for suffix, unit in WINDOW_SCALES:
        window_pictures(suffix, unit)

    xp = [tray_xp_frames(size) for size in TRAY_SIZES]
    std = [tray_std_frames(size) for size in TRAY_SIZES]
    tray_resources([("xp", [[icon_image_32(frames[i]) for frames in xp] for i in range(10)]),
                    ("std", [[icon_image_8(*opaque_rows(frames[i])) for frames in std] for i in range(10)])])

    write("transparent16.ico", transparent_icon())


if __name__ == "__main__":
    main()
