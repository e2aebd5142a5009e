#!/usr/bin/python3
"""Draw Tarnwick's window pictures and application icon.

Everything here is painted from shapes and gradients, so the outputs can be
regenerated at any time and come out byte-for-byte identical.  Shapes are
drawn aliased on an oversized canvas and then reduced with a Lanczos filter,
which gives clean anti-aliased edges.

Usage: make_assets.py <assets-dir>
"""

import math
import os
import struct
import sys
import zlib

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageOps

LANCZOS = Image.Resampling.LANCZOS
NEAREST = Image.Resampling.NEAREST
BILINEAR = Image.Resampling.BILINEAR


# ---------------------------------------------------------------------------
# small colour / geometry helpers
# ---------------------------------------------------------------------------

def hexc(s, a=255):
    s = s.lstrip('#')
    return (int(s[0:2], 16), int(s[2:4], 16), int(s[4:6], 16), a)


def mix(c1, c2, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def vgradient(w, h, stops):
    """Vertical gradient image (RGBA).  stops: [(pos 0..1, colour), ...]."""
    col = Image.new('RGBA', (1, h))
    px = []
    for y in range(h):
        t = y / max(1, h - 1)
        for i in range(len(stops) - 1):
            p0, c0 = stops[i]
            p1, c1 = stops[i + 1]
            if t <= p1 or i == len(stops) - 2:
                u = 0.0 if p1 == p0 else min(1.0, max(0.0, (t - p0) / (p1 - p0)))
                px.append(mix(c0, c1, u))
                break
    col.putdata(px)
    return col.resize((w, h), NEAREST)


def hgradient(w, h, stops):
    return vgradient(h, w, stops).transpose(Image.Transpose.ROTATE_90) \
        .transpose(Image.Transpose.FLIP_TOP_BOTTOM)


def paint(img, mask, fill):
    """Lay `fill` (a colour or an image the size of img) over img through mask."""
    if not isinstance(fill, Image.Image):
        fill = Image.new('RGBA', img.size, fill)
    layer = fill.copy()
    a = layer.getchannel('A')
    layer.putalpha(ImageChops.multiply(a, mask))
    img.alpha_composite(layer)


def new_mask(img):
    return Image.new('L', img.size, 0)


def arc_points(cx, cy, r, a0, a1, n=48):
    """Points on a circle, angles in degrees, measured with y pointing up."""
    pts = []
    for i in range(n + 1):
        a = math.radians(a0 + (a1 - a0) * i / n)
        pts.append((cx + r * math.cos(a), cy - r * math.sin(a)))
    return pts


def bezier(p0, p1, p2, n=40):
    pts = []
    for i in range(n + 1):
        t = i / n
        x = (1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0]
        y = (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1]
        pts.append((x, y))
    return pts


class Pen:
    """Maps design coordinates onto an oversized canvas."""

    def __init__(self, img, scale, ox=0.0, oy=0.0):
        self.img = img
        self.s = scale
        self.ox = ox
        self.oy = oy
        self.d = ImageDraw.Draw(img, 'RGBA')

    def p(self, x, y):
        return ((self.ox + x) * self.s, (self.oy + y) * self.s)

    def pts(self, pts):
        return [self.p(x, y) for x, y in pts]

    def poly(self, pts, fill, outline=None, width=0.0):
        q = self.pts(pts)
        if fill is not None:
            self.d.polygon(q, fill=fill)
        if outline is not None and width > 0:
            self.d.line(q + [q[0]], fill=outline, width=max(1, int(round(width * self.s))),
                        joint='curve')

    def line(self, pts, fill, width):
        self.d.line(self.pts(pts), fill=fill, width=max(1, int(round(width * self.s))),
                    joint='curve')

    def ellipse(self, cx, cy, rx, ry, fill=None, outline=None, width=0.0):
        x0, y0 = self.p(cx - rx, cy - ry)
        x1, y1 = self.p(cx + rx, cy + ry)
        self.d.ellipse((x0, y0, x1, y1), fill=fill, outline=outline,
                       width=max(0, int(round(width * self.s))))

    def circle(self, cx, cy, r, **kw):
        self.ellipse(cx, cy, r, r, **kw)

    def rect(self, x0, y0, x1, y1, fill=None, outline=None, width=0.0, radius=0.0):
        a = self.p(x0, y0)
        b = self.p(x1, y1)
        self.d.rounded_rectangle((a[0], a[1], b[0] - 1, b[1] - 1), radius=radius * self.s,
                                 fill=fill, outline=outline,
                                 width=max(0, int(round(width * self.s))))

    def mask_poly(self, pts):
        m = new_mask(self.img)
        ImageDraw.Draw(m).polygon(self.pts(pts), fill=255)
        return m

    def mask_ellipse(self, cx, cy, rx, ry):
        m = new_mask(self.img)
        x0, y0 = self.p(cx - rx, cy - ry)
        x1, y1 = self.p(cx + rx, cy + ry)
        ImageDraw.Draw(m).ellipse((x0, y0, x1, y1), fill=255)
        return m


# ---------------------------------------------------------------------------
# the touring car, side view, facing right
# ---------------------------------------------------------------------------
# Design units: ground at y = 0, up is negative, rear of the car near x = 0,
# front lamp near x = 170.

BODY = hexc('#2f4a3c')
BODY_LIGHT = hexc('#4a6a55')
BODY_DARK = hexc('#1d3026')
PINSTRIPE = hexc('#d8b25e')
BRASS = hexc('#c9963a')
BRASS_LIGHT = hexc('#f1d58a')
BRASS_DARK = hexc('#7d5519')
LEATHER = hexc('#6e2e22')
LEATHER_LIGHT = hexc('#94473a')
BLACK = hexc('#1e1a17')
TYRE = hexc('#3a3531')
TYRE_LIGHT = hexc('#625a52')
WOOD = hexc('#c79a55')
WOOD_DARK = hexc('#7b5528')
CANVAS = hexc('#b9a57c')
CANVAS_DARK = hexc('#8a7656')
GLASS = hexc('#cfe0dc', 150)


def draw_wheel(pen, cx, cy, r, spokes=12):
    tyre_w = r * 0.22
    felloe_w = r * 0.12
    pen.circle(cx, cy, r, fill=TYRE)
    # a soft highlight along the top of the tyre
    pen.line(arc_points(cx, cy, r - tyre_w * 0.45, 60, 150, 24), TYRE_LIGHT, tyre_w * 0.28)
    rim = r - tyre_w
    pen.circle(cx, cy, rim, fill=WOOD_DARK)
    inner = rim - felloe_w
    pen.circle(cx, cy, rim - felloe_w * 0.25, fill=WOOD)
    pen.circle(cx, cy, inner, fill=hexc('#3b3029'))
    hub = r * 0.24
    for i in range(spokes):
        a = math.radians(i * 360.0 / spokes + 7.5)
        x1 = cx + math.cos(a) * inner * 1.02
        y1 = cy - math.sin(a) * inner * 1.02
        x0 = cx + math.cos(a) * hub * 0.8
        y0 = cy - math.sin(a) * hub * 0.8
        pen.line([(x0, y0), (x1, y1)], WOOD_DARK, r * 0.11)
        pen.line([(x0, y0), (x1, y1)], WOOD, r * 0.065)
    pen.circle(cx, cy, hub, fill=WOOD_DARK)
    pen.circle(cx, cy, hub * 0.78, fill=WOOD)
    pen.circle(cx, cy, hub * 0.55, fill=BRASS_DARK)
    pen.circle(cx, cy, hub * 0.45, fill=BRASS)
    pen.circle(cx - hub * 0.12, cy - hub * 0.12, hub * 0.18, fill=BRASS_LIGHT)


def draw_car(pen):
    R = 18.0
    rear = (38.0, -R)
    front = (134.0, -R)

    # chassis rail and springs
    pen.rect(14, -31, 160, -27, fill=BLACK)
    pen.line(bezier((20, -24), (38, -30), (56, -24)), BLACK, 2.2)
    pen.line(bezier((118, -24), (134, -30), (152, -24)), BLACK, 2.2)

    # folded hood at the back, with its irons
    pen.line([(14, -58), (3, -68)], BLACK, 1.5)
    pen.line([(18, -58), (8, -69)], BLACK, 1.1)
    hood = [(-3, -66), (0, -71), (8, -73.5), (17, -72), (19, -68), (14, -64.5), (4, -63), (-1, -63.5)]
    pen.poly(hood, CANVAS, CANVAS_DARK, 0.9)
    pen.line([(1, -67.5), (8, -69.5), (16, -68.5)], CANVAS_DARK, 0.7)

    # seats: rear and front squabs showing above the body sides
    rear_seat = [(16, -60), (15.5, -66), (19, -69.5), (42, -69.5), (46, -66), (47, -60)]
    pen.poly(rear_seat, LEATHER, BLACK, 0.9)
    pen.line([(19, -66.5), (43, -66.5)], LEATHER_LIGHT, 1.0)
    front_seat = [(68, -54), (67, -63), (71, -67), (86, -67), (89, -62), (89, -54)]
    pen.poly(front_seat, LEATHER, BLACK, 0.9)
    pen.line([(71, -63), (86, -63)], LEATHER_LIGHT, 1.1)

    # steering column and wheel rim (seen almost edge on)
    pen.line([(104, -40), (88, -64)], BLACK, 1.8)
    pen.line([(83, -70), (93, -59)], BLACK, 2.6)

    # windscreen: brass frame with a pane of glass, slightly raked
    glass = [(101, -58), (98, -88), (101.5, -88), (104.5, -58)]
    pen.poly(glass, GLASS)
    pen.line([(101, -58), (98, -88)], BRASS_DARK, 1.4)
    pen.line([(104.5, -58), (101.5, -88)], BRASS, 1.2)
    pen.line([(97.6, -88.5), (102, -88.5)], BRASS, 1.4)
    pen.line([(99.4, -73), (103.2, -73)], BRASS, 1.2)

    # body side: tonneau, doors, scuttle, bonnet
    body = [(12, -30)]
    body += [(9, -34), (7, -40), (6, -47), (7, -54), (9, -58), (12, -61)]
    body += [(58, -61), (63, -60), (66, -57), (68, -54), (96, -54)]
    body += bezier((96, -54), (104, -60), (114, -53), 12)
    body += [(150, -51), (150, -30)]
    # the gradient runs over the height of the body only
    y0 = pen.p(0, -61)[1]
    y1 = pen.p(0, -30)[1]
    g = vgradient(1, max(2, int(y1 - y0)), [(0.0, BODY_LIGHT), (0.45, BODY), (1.0, BODY_DARK)])
    shade = Image.new('RGBA', pen.img.size, BODY_DARK)
    shade.paste(BODY_LIGHT, (0, 0, pen.img.width, int(y0)))
    shade.paste(g.resize((pen.img.width, g.height), NEAREST), (0, int(y0)))
    paint(pen.img, pen.mask_poly(body), shade)
    pen.line(body + [body[0]], BLACK, 0.9)

    # bonnet: a slightly lighter panel with louvres and a brass hinge
    bonnet = [(114, -52.8), (150, -51), (150, -31), (114, -31)]
    pen.poly(bonnet, hexc('#35523f'), BLACK, 0.8)
    pen.line([(114, -47), (150, -46)], BODY_LIGHT, 0.8)
    for i in range(6):
        x = 124 + i * 4
        pen.line([(x, -43), (x, -35)], BODY_DARK, 1.3)
        pen.line([(x + 0.9, -43), (x + 0.9, -35)], BODY_LIGHT, 0.5)

    # pinstripes and panel lines
    stripe = [(11, -34), (9, -40), (8.5, -47), (9.5, -54), (13, -58.5), (58, -58.5)]
    pen.line(stripe, PINSTRIPE, 0.6)
    pen.line([(14, -33.5), (110, -33.5)], PINSTRIPE, 0.6)
    pen.line([(50, -58), (50, -34)], BODY_DARK, 0.9)       # rear door
    pen.line([(70, -53), (70, -34)], BODY_DARK, 0.9)
    pen.line([(94, -53), (94, -34)], BODY_DARK, 0.9)      # front door
    pen.rect(53, -50, 57, -48.8, fill=BRASS)             # door handles
    pen.rect(89, -48, 93, -46.8, fill=BRASS)
    pen.line([(113, -53), (113, -31)], BLACK, 0.8)

    # radiator: tall brass shell with a filler cap
    rad = [(150, -30), (150, -56), (151.5, -58), (156, -58), (157.5, -56), (157.5, -30)]
    gx0 = int(pen.p(150, 0)[0])
    gx1 = int(pen.p(157.5, 0)[0])
    hg = hgradient(max(2, gx1 - gx0), pen.img.height,
                   [(0.0, BRASS_DARK), (0.35, BRASS_LIGHT), (0.7, BRASS), (1.0, BRASS_DARK)])
    brass_img = Image.new('RGBA', pen.img.size, BRASS)
    brass_img.paste(hg, (gx0, 0))
    paint(pen.img, pen.mask_poly(rad), brass_img)
    pen.line(rad + [rad[0]], BRASS_DARK, 0.6)
    pen.rect(152, -61, 155.5, -58, fill=BRASS, outline=BRASS_DARK, width=0.5, radius=0.8)

    # running board with a tool box and the lamp gas generator
    pen.poly([(56, -27.5), (114, -27.5), (114, -24.5), (56, -24.5)], BLACK)
    pen.line([(57, -26), (113, -26)], hexc('#4b4239'), 0.6)
    pen.rect(60, -35, 73, -27.5, fill=BLACK, outline=hexc('#4b4239'), width=0.5, radius=0.8)
    pen.rect(64, -32.5, 69, -31.5, fill=BRASS)
    gen = [(77, -27.5), (77, -38), (83, -38), (83, -27.5)]
    gxa = int(pen.p(77, 0)[0])
    gxb = int(pen.p(83, 0)[0])
    hg2 = hgradient(max(2, gxb - gxa), pen.img.height,
                    [(0.0, BRASS_DARK), (0.4, BRASS_LIGHT), (1.0, BRASS_DARK)])
    brass2 = Image.new('RGBA', pen.img.size, BRASS)
    brass2.paste(hg2, (gxa, 0))
    paint(pen.img, pen.mask_poly(gen), brass2)
    pen.rect(76.5, -39.5, 83.5, -38, fill=BRASS_DARK)

    # wheels
    draw_wheel(pen, rear[0], rear[1], R)
    draw_wheel(pen, front[0], front[1], R)

    # mudguards (wings), black enamel with a light edge
    def wing(cx, cy, a0, a1, tail=None, head=None):
        outer = arc_points(cx, cy, R + 4.5, a0, a1, 40)
        inner = arc_points(cx, cy, R + 2.0, a1, a0, 40)
        pts = []
        if head:
            pts += head
        pts += outer
        if tail:
            pts += tail
        pts += inner
        pen.poly(pts, BLACK)
        pen.line(arc_points(cx, cy, R + 4.0, a0 + 8, a1 - 8, 30), hexc('#5b5249'), 0.6)

    wing(rear[0], rear[1], 195, 0,
         tail=[(rear[0] + R + 4.5, rear[1] - 1), (60, -27.5), (58, -24.5)])
    wing(front[0], front[1], 170, 10,
         head=[(110, -24.5), (112, -27.5)],
         tail=[(front[0] + R + 6, -15), (front[0] + R + 5, -13)])

    # bulb horn along the bonnet
    pen.line(bezier((110, -58), (130, -60), (143, -55)), BRASS, 1.1)
    pen.poly([(142, -57.5), (147, -60), (147, -51), (142, -53.5)], BRASS, BRASS_DARK, 0.4)
    pen.circle(108, -58, 2.2, fill=BLACK)

    # side lamp on the scuttle
    pen.rect(104.5, -67, 110, -59, fill=BRASS, outline=BRASS_DARK, width=0.5, radius=0.7)
    pen.rect(106, -64.8, 108.8, -61.5, fill=hexc('#f4e7b8'))
    pen.poly([(105, -67), (107.2, -70), (109.4, -67)], BRASS_DARK)

    # headlamp on its fork ahead of the radiator
    pen.line([(157.5, -40), (162, -42), (162, -46)], BLACK, 1.3)
    pen.rect(159, -53, 167, -43, fill=BRASS, outline=BRASS_DARK, width=0.6, radius=1.5)
    pen.line([(160.5, -51), (164.5, -51)], BRASS_LIGHT, 0.8)
    pen.ellipse(167.5, -48, 2.0, 5.2, fill=hexc('#f6ecc9'), outline=BRASS_DARK, width=0.6)
    pen.rect(161.5, -56.5, 164.5, -53, fill=BRASS_DARK, radius=0.6)


# ---------------------------------------------------------------------------
# the tall window picture
# ---------------------------------------------------------------------------

def draw_scene(W=188, H=500, S=4):
    img = Image.new('RGBA', (W * S, H * S), hexc('#000000'))
    pen = Pen(img, S)

    L, T, Rr, B = 6, 6, W - 6, H - 6          # picture area inside the frame
    HORIZON = 318

    # sky
    sky = vgradient(W * S, HORIZON * S,
                    [(0.0, hexc('#7f97a0')), (0.35, hexc('#a9b4ad')),
                     (0.7, hexc('#d8cfb2')), (1.0, hexc('#efdcb2'))])
    img.paste(sky, (0, 0))

    # low sun with a warm glow
    glow = new_mask(img)
    gd = ImageDraw.Draw(glow)
    cx, cy = 134, 262
    for i in range(26, 0, -1):
        r = 15 + i * 2.4
        v = int(150 * (1 - i / 27.0) ** 2)
        gd.ellipse(((cx - r) * S, (cy - r) * S, (cx + r) * S, (cy + r) * S), fill=v)
    glow = glow.filter(ImageFilter.GaussianBlur(6 * S))
    paint(img, glow, hexc('#fbeac0'))
    pen.circle(cx, cy, 14, fill=hexc('#fbf0d0'))

    # clouds: clusters of soft puffs with a shaded underside
    def cloud(puffs, lit='#f6ecd6', shade='#c7bfae', blur=2.2):
        m = new_mask(img)
        md = ImageDraw.Draw(m)
        for (x, y, rx, ry) in puffs:
            md.ellipse(((x - rx) * S, (y - ry) * S, (x + rx) * S, (y + ry) * S), fill=255)
        m = m.filter(ImageFilter.GaussianBlur(blur * S))
        under = ImageChops.offset(m, 0, int(2.5 * S))
        paint(img, under, hexc(shade, 200))
        paint(img, m, hexc(lit, 235))

    cloud([(40, 78, 22, 9), (58, 70, 16, 11), (74, 79, 18, 8), (24, 82, 14, 6)])
    cloud([(128, 128, 26, 8), (146, 121, 15, 9), (162, 129, 16, 6), (112, 132, 14, 5)])
    cloud([(52, 188, 30, 6), (70, 183, 14, 6), (34, 191, 12, 4)], blur=2.6)
    cloud([(150, 212, 22, 4), (170, 214, 12, 3)], blur=2.4)
    cloud([(92, 36, 24, 5), (114, 33, 14, 5)], blur=2.6)

    # a few birds
    for (bx, by, bs) in [(104, 98, 4.0), (114, 104, 3.2), (96, 108, 2.6), (122, 94, 2.2)]:
        pen.line([(bx - bs, by - bs * 0.35), (bx - bs * 0.45, by - bs * 0.6), (bx, by)],
                 hexc('#4f4a44'), 0.7)
        pen.line([(bx, by), (bx + bs * 0.45, by - bs * 0.6), (bx + bs, by - bs * 0.35)],
                 hexc('#4f4a44'), 0.7)

    # distant hills, fading into the haze
    def hills(base, amp, waves, colour):
        pts = [(0, H)]
        for i in range(0, W * 2 + 1):
            x = i / 2.0
            y = base
            for (a, f, ph) in waves:
                y -= amp * a * math.sin(x * f + ph)
            pts.append((x, y))
        pts.append((W, H))
        pen.poly(pts, colour)

    hills(HORIZON - 14, 8, [(1.0, 0.030, 0.5), (0.5, 0.071, 2.0)], hexc('#a8ad9c'))
    # church on the far ridge
    pen.rect(40, HORIZON - 32, 45, HORIZON - 18, fill=hexc('#8d9385'))
    pen.poly([(39.5, HORIZON - 32), (42.5, HORIZON - 44), (45.5, HORIZON - 32)], hexc('#8d9385'))
    pen.rect(45, HORIZON - 26, 56, HORIZON - 16, fill=hexc('#8d9385'))
    pen.poly([(44.5, HORIZON - 26), (50.5, HORIZON - 30), (56.5, HORIZON - 26)], hexc('#8d9385'))
    hills(HORIZON - 4, 6, [(1.0, 0.024, 2.2), (0.6, 0.063, 0.3)], hexc('#8f9a82'))
    hills(HORIZON + 6, 4, [(1.0, 0.036, 4.0), (0.4, 0.09, 1.0)], hexc('#7c8966'))

    # fields receding to the hills: bands of ochre and olive, hedgerows between
    field_top = HORIZON + 8
    field_bot = 430
    bands = ['#a49a60', '#8f8c55', '#b3a466', '#98925a', '#aa9c5f', '#8b8a52']
    y = field_top
    k = 0
    step = 5.0
    while y < field_bot:
        y2 = min(field_bot, y + step)
        wob = [(x, y + 1.2 * math.sin(x * 0.05 + k)) for x in range(0, W + 1, 4)]
        wob2 = [(x, y2 + 1.2 * math.sin(x * 0.05 + k + 1)) for x in range(W, -1, -4)]
        pen.poly(wob + wob2, hexc(bands[k % len(bands)]))
        pen.line([(x, yy + 0.2) for x, yy in wob], hexc('#5e6a3e'), 0.6 + 0.12 * k)
        y = y2
        step *= 1.45
        k += 1

    # the lane winding up from the road to the village
    c0, c1, c2 = (146, 432), (156, 368), (64, HORIZON + 6)
    left, right = [], []
    n = 60
    for i in range(n + 1):
        t = i / n
        x = (1 - t) ** 2 * c0[0] + 2 * (1 - t) * t * c1[0] + t * t * c2[0]
        yy = (1 - t) ** 2 * c0[1] + 2 * (1 - t) * t * c1[1] + t * t * c2[1]
        w = 16 * (1 - t) ** 1.6 + 0.8
        left.append((x - w, yy))
        right.append((x + w, yy))
    pen.poly(left + right[::-1], hexc('#d3c196'))
    pen.line(left, hexc('#8d8456'), 0.5)

    # poplars along the lane
    def poplar(bx, by, h, w):
        trunk_h = h * 0.08
        pen.rect(bx - w * 0.06, by - trunk_h - 1, bx + w * 0.06, by, fill=hexc('#4a3c2c'))
        outline = []
        n = 30
        for i in range(n + 1):
            t = i / n
            hw = w / 2 * (math.sin(math.pi * t) ** 0.55) * (1 - 0.3 * t)
            outline.append((bx - hw, by - trunk_h - t * (h - trunk_h)))
        for i in range(n, -1, -1):
            t = i / n
            hw = w / 2 * (math.sin(math.pi * t) ** 0.55) * (1 - 0.3 * t)
            outline.append((bx + hw, by - trunk_h - t * (h - trunk_h)))
        pen.poly(outline, hexc('#4d5936'))
        lit = []
        for i in range(n + 1):
            t = i / n
            hw = w / 2 * (math.sin(math.pi * t) ** 0.55) * (1 - 0.3 * t)
            lit.append((bx + hw * 0.15, by - trunk_h - t * (h - trunk_h)))
        for i in range(n, -1, -1):
            t = i / n
            hw = w / 2 * (math.sin(math.pi * t) ** 0.55) * (1 - 0.3 * t)
            lit.append((bx + hw * 0.95, by - trunk_h - t * (h - trunk_h)))
        pen.poly(lit, hexc('#6c7549'))

    trees = []
    for i in range(10):
        t = 0.02 + i * 0.092
        x = (1 - t) ** 2 * c0[0] + 2 * (1 - t) * t * c1[0] + t * t * c2[0]
        yy = (1 - t) ** 2 * c0[1] + 2 * (1 - t) * t * c1[1] + t * t * c2[1]
        w = 16 * (1 - t) ** 1.6 + 0.8
        trees.append((x + w + 2 + 10 * (1 - t), yy + 2 * (1 - t), 11.5 * w + 5, 1.3 * w + 2.2))
    for (bx, by, h, w) in sorted(trees, key=lambda q: q[1]):
        poplar(bx, by, h, w)

    # foreground road and verge
    road = vgradient(W * S, 44 * S, [(0.0, hexc('#c9b486')), (1.0, hexc('#dcc99d'))])
    rm = pen.mask_poly([(0, 428)] + [(x, 428 + math.sin(x * 0.07)) for x in range(0, W + 1, 4)]
                       + [(W, 472), (0, 472)])
    road_img = Image.new('RGBA', img.size, hexc('#c9b486'))
    road_img.paste(road, (0, 428 * S))
    paint(img, rm, road_img)
    pen.line([(0, 446), (W, 447)], hexc('#b29d70'), 1.2)
    pen.line([(0, 465), (W, 464)], hexc('#b29d70'), 1.6)
    verge = [(0, 471)] + [(x, 470 + 1.5 * math.sin(x * 0.2)) for x in range(0, W + 1, 3)] + \
            [(W, H), (0, H)]
    pen.poly(verge, hexc('#6d6f44'))
    for i in range(0, W, 5):
        h = 3 + 2 * ((i * 7) % 5) / 4.0
        pen.line([(i, 474), (i + 1.5, 474 - h)], hexc('#55592f'), 0.8)
        pen.line([(i + 2.5, 475), (i + 2, 475 - h * 0.7)], hexc('#8a8a55'), 0.6)

    # dust thrown up behind the car
    dust = new_mask(img)
    dd = ImageDraw.Draw(dust)
    for (x, y, rx, ry, v) in [(16, 452, 12, 6, 110), (6, 446, 12, 9, 85), (-2, 438, 12, 11, 60),
                              (8, 436, 7, 6, 50)]:
        dd.ellipse(((x - rx) * S, (y - ry) * S, (x + rx) * S, (y + ry) * S), fill=v)
    dust = dust.filter(ImageFilter.GaussianBlur(4 * S))
    paint(img, dust, hexc('#eee2c4'))

    # the car and its shadow
    sh = new_mask(img)
    ImageDraw.Draw(sh).ellipse((14 * S, 452 * S, 184 * S, 464 * S), fill=120)
    sh = sh.filter(ImageFilter.GaussianBlur(2 * S))
    paint(img, sh, hexc('#4d4030'))
    car = Pen(img, S, ox=10, oy=458)
    draw_car(car)

    # reduce to size
    out = img.resize((W, H), LANCZOS)

    # faint sepia toning and a soft vignette, like an old print
    grey = ImageOps.grayscale(out.convert('RGB'))
    sepia = ImageOps.colorize(grey, black='#2a1e14', white='#fbf1dc', mid='#9c8460')
    out = Image.blend(out.convert('RGB'), sepia, 0.22).convert('RGBA')
    # darkening that follows the rectangular frame rather than a circle
    vw, vh = W // 4, H // 4
    vig = Image.new('L', (vw, vh))
    vals = []
    for j in range(vh):
        ny = (j + 0.5) / vh * 2 - 1
        for i in range(vw):
            nx = (i + 0.5) / vw * 2 - 1
            d = (abs(nx) ** 6 + abs(ny) ** 6) ** (1 / 6.0)
            vals.append(int(max(0.0, min(1.0, (d - 0.75) / 0.25)) ** 1.8 * 95))
    vig.putdata(vals)
    paint(out, vig.resize((W, H), BILINEAR), hexc('#3b2a1c'))

    # frame: dark wood with a thin gilt line
    fr = ImageDraw.Draw(out)
    fr.rectangle((0, 0, W - 1, H - 1), outline=hexc('#3a2919'), width=4)
    fr.rectangle((4, 4, W - 5, H - 5), outline=hexc('#c4a05a'), width=1)
    fr.rectangle((5, 5, W - 6, H - 6), outline=hexc('#5a4128'), width=1)
    fr.line((1, 1, W - 2, 1), fill=hexc('#5e4630'))
    fr.line((1, 1, 1, H - 2), fill=hexc('#5e4630'))
    for (x, y) in [(4, 4), (W - 5, 4), (4, H - 5), (W - 5, H - 5)]:
        fr.rectangle((x - 2, y - 2, x + 2, y + 2), fill=hexc('#c4a05a'), outline=hexc('#3a2919'))
    return out


# ---------------------------------------------------------------------------
# the emblem: a calendar page with a motor car in front of it
# ---------------------------------------------------------------------------

PAPER = hexc('#f7efda')
PAPER_SHADE = hexc('#e3d4b0')
INK = hexc('#4a3320')
RED = hexc('#b03a2e')
RED_DARK = hexc('#7e241c')
RING = hexc('#3c3631')


def draw_emblem(size):
    """The emblem as an RGBA image exactly size x size.

    The layout is designed on a 64-unit square.  Small sizes drop detail and
    thicken lines, and their straight edges are snapped to whole pixels so
    that they stay sharp after reduction.
    """
    S = max(8, int(math.ceil(768 / size)))
    img = Image.new('RGBA', (size * S, size * S), (0, 0, 0, 0))
    k = size / 64.0                      # pixels per design unit
    pen = Pen(img, S * k)
    small = size <= 24
    medium = size <= 40

    def snap(v):
        return round(v * k) / k

    px = 1.0 / k                          # one output pixel in design units
    line = max(px, 1.5) if not small else px

    # calendar page
    if small:
        x0, y0, x1, y1 = snap(6), snap(4), snap(58), snap(48)
        hb = snap(19)
        rad = px
    else:
        x0, y0, x1, y1 = snap(8), snap(6), snap(56), snap(50)
        hb = snap(18)
        rad = 4.0
    if not small:
        pen.rect(x0 + 1.2, y0 + 1.6, x1 + 1.2, y1 + 1.6, fill=hexc('#000000', 55), radius=rad)
    pen.rect(x0, y0, x1, y1, fill=INK, radius=rad)
    pen.rect(x0 + line, y0 + line, x1 - line, y1 - line, fill=PAPER,
             radius=max(0.5, rad - line))
    pen.rect(x0 + line, y0 + line, x1 - line, hb, fill=RED, radius=max(0.5, rad - line))
    pen.rect(x0 + line, (y0 + hb) / 2, x1 - line, hb, fill=RED)
    if not small:
        pen.rect(x0 + line, hb - max(px, 1.0), x1 - line, hb, fill=RED_DARK)
        pen.rect(x0 + line + 1.5, y0 + line + 1.2, x1 - line - 1.5, y0 + line + 3.2,
                 fill=hexc('#d86a5c', 140), radius=1)

    # binding rings
    for cx in (snap(21), snap(43)):
        if small:
            pen.rect(cx - px, snap(1), cx + px, y0 + 3 * px, fill=RING)
        else:
            rw = 3.2
            pen.ellipse(cx, y0 + 6.2, rw / 2 + 1.0, 1.6, fill=RED_DARK)
            pen.rect(cx - rw / 2, 1.2, cx + rw / 2, y0 + 6.5, fill=RING, radius=1.6)
            pen.rect(cx - rw / 2 + 0.7, 2.0, cx - rw / 2 + 1.4, y0 + 5, fill=hexc('#8a8178'))

    # day grid on the page, with one day ringed in red
    if not small:
        gx0, gx1 = x0 + 4, x1 - 4
        gy0, gy1 = hb + 2.5, hb + 19
        cols, rows = 7, 2
        cw = (gx1 - gx0) / cols
        chh = (gy1 - gy0) / rows
        for r in range(rows):
            for c in range(cols):
                cx = gx0 + (c + 0.5) * cw
                cy = gy0 + (r + 0.5) * chh
                if medium:
                    pen.rect(snap(cx - 1), snap(cy - 1), snap(cx + 1), snap(cy + 1),
                             fill=hexc('#b3a07b'))
                else:
                    pen.rect(cx - 1.7, cy - 1.3, cx + 1.7, cy + 1.3, fill=hexc('#b3a07b'),
                             radius=0.5)
        cx = gx0 + 2.5 * cw
        cy = gy0 + 1.5 * chh
        pen.ellipse(cx, cy, cw * 0.66, chh * 0.55, outline=RED, width=max(px, 1.4))
    else:
        for yy in (snap(25), snap(32)):
            pen.rect(x0 + 2 * px, yy, x1 - 2 * px, yy + px, fill=hexc('#b3a07b'))

    draw_emblem_car(pen, px, small, medium, snap)
    return img.resize((size, size), LANCZOS)


def draw_small_car(pen, px, snap):
    """The emblem car at 16 and 24 pixels: a few pixel-aligned blocks read
    better than a reduced drawing."""
    R, cy = 9.0, 54.0
    rx, fx = snap(14), snap(49)
    pen.rect(snap(6), snap(30), snap(22), snap(37), fill=LEATHER)          # seat back
    pen.rect(snap(40), snap(25), snap(40) + px, snap(37), fill=BRASS_DARK)  # windscreen
    pen.poly([(snap(2), snap(36)), (snap(54), snap(36)), (snap(54), snap(50)),
              (snap(2) + px, snap(50)), (snap(2), snap(49))], hexc('#3b5c48'))
    pen.rect(snap(2), snap(36), snap(54), snap(36) + px, fill=BODY_LIGHT)
    pen.rect(snap(54), snap(34), snap(58), snap(50), fill=BRASS)           # radiator
    for wx in (rx, fx):
        pen.circle(wx, cy, R, fill=BLACK)
        pen.circle(wx, cy, R - 1.2 * px, fill=WOOD)
        pen.circle(wx, cy, 0.6 * px, fill=BRASS_DARK)


def draw_emblem_car(pen, px, small, medium, snap):
    """A simplified touring car for the emblem, facing right."""
    if small:
        draw_small_car(pen, px, snap)
        return
    if small:
        R, cy, rx, fx = 10.0, 54.0, 14.0, 48.0
    else:
        R, cy, rx, fx = 8.0, 55.0, 15.0, 48.0
    ol = px * 0.8 if small else max(px * 0.75, 0.9)
    yb = cy - 2.5                         # underside of the body

    if small:
        body = [(3, yb), (2, cy - 8), (3, cy - 14), (25, cy - 14), (27, cy - 12),
                (41, cy - 12), (43, cy - 12), (54, cy - 11), (54, yb)]
        seats = [(6, cy - 14), (6, cy - 19), (23, cy - 19), (23, cy - 14)]
        pen.poly(seats, LEATHER)
    else:
        # seat backs rise above the waist
        pen.poly([(8, cy - 13), (8.5, cy - 16.5), (10.5, cy - 18), (22.5, cy - 18),
                  (24.5, cy - 16.5), (25, cy - 13)], LEATHER, BLACK, ol)
        pen.poly([(29, cy - 11), (29.4, cy - 14.5), (31, cy - 15.8), (34.5, cy - 15.8),
                  (36, cy - 14.5), (36.2, cy - 11)], LEATHER, BLACK, ol)
        # steering wheel
        pen.line([(36.5, cy - 18), (39.5, cy - 14)], BLACK, max(px, 1.3))
        body = [(5, yb), (3.2, cy - 6), (3, cy - 10), (4.2, cy - 12.6), (6.5, cy - 14),
                (26, cy - 14), (28, cy - 12.5), (29.5, cy - 11.5), (38, cy - 11.5)]
        body += bezier((38, cy - 11.5), (41, cy - 14.2), (43.5, cy - 12.2), 10)
        body += [(54, cy - 11.2), (54, yb)]
    if small:
        # no outline at icon sizes: it would swallow the whole body
        pen.poly(body, hexc('#3b5c48'))
        pen.rect(3 * px, yb - px, 54, yb, fill=BODY_DARK)
    else:
        pen.poly(body, BODY, BLACK, ol)
    if not small:
        pen.line([(5, cy - 11.2), (26.5, cy - 11.2)], BODY_LIGHT, max(px * 0.6, 0.7))
        pen.line([(4.2, cy - 6), (43, cy - 6)], PINSTRIPE, max(px * 0.6, 0.6))
        pen.line([(43.5, cy - 12), (43.5, yb)], BLACK, max(px * 0.6, 0.6))
        pen.line([(24, cy - 13.5), (24, yb)], BODY_DARK, max(px * 0.6, 0.6))
        if not medium:
            for i in range(3):
                x = 47 + i * 2.2
                pen.line([(x, cy - 9.5), (x, cy - 5)], BODY_DARK, 0.8)

    # windscreen
    if small:
        pen.rect(snap(40), snap(cy - 21), snap(40) + px, snap(cy - 12), fill=BRASS_DARK)
    else:
        pen.line([(40.8, cy - 12.5), (39.8, cy - 22)], BRASS_DARK, max(px, 1.2))
        if not medium:
            pen.line([(41.8, cy - 12.5), (40.8, cy - 22)], hexc('#d6e6e2', 210), 0.9)
            pen.line([(39.4, cy - 22.3), (42.2, cy - 22.3)], BRASS_DARK, 0.9)

    # radiator and headlamp
    if small:
        pen.rect(snap(54), snap(cy - 14), snap(58), snap(cy - 2), fill=BRASS)
    else:
        pen.rect(54, cy - 13.5, 58, cy - 2, fill=BRASS, outline=BRASS_DARK, width=0.6,
                 radius=0.6)
        pen.rect(54.9, cy - 12.6, 56, cy - 3, fill=BRASS_LIGHT)
        pen.rect(55, cy - 15.3, 57, cy - 13.5, fill=BRASS_DARK, radius=0.5)
        pen.line([(58, cy - 7), (59.5, cy - 8.5)], BLACK, 0.8)
        pen.rect(58.6, cy - 12.2, 62, cy - 8, fill=BRASS, outline=BRASS_DARK, width=0.5,
                 radius=0.9)
        pen.ellipse(62, cy - 10.1, 0.7, 1.9, fill=hexc('#f6ecc9'))

    # running board and mudguards
    wing_w = 2.0 if not small else px
    pen.rect(rx + R, yb, fx - R, yb + wing_w, fill=BLACK)
    for wx, a0, a1 in ((rx, 185, 0), (fx, 180, 12)):
        outer = arc_points(wx, cy, R + 0.8 + wing_w, a0, a1, 30)
        inner = arc_points(wx, cy, R + 0.8, a1, a0, 30)
        pen.poly(outer + inner, BLACK)

    # wheels
    for wx in (rx, fx):
        if small:
            pen.circle(wx, cy, R, fill=BLACK)
            pen.circle(wx, cy, R - 1.3 * px, fill=WOOD)
            pen.circle(wx, cy, R - 1.3 * px - 0.6 * px, fill=hexc('#6b4f33'))
            pen.circle(wx, cy, 0.7 * px, fill=BRASS_LIGHT)
        elif medium:
            pen.circle(wx, cy, R, fill=TYRE)
            pen.circle(wx, cy, R - 1.8, fill=WOOD)
            pen.circle(wx, cy, R - 3.4, fill=hexc('#5a4530'))
            for i in range(4):
                a = math.radians(i * 45 + 22.5)
                pen.line([(wx - math.cos(a) * (R - 3), cy + math.sin(a) * (R - 3)),
                          (wx + math.cos(a) * (R - 3), cy - math.sin(a) * (R - 3))],
                         WOOD, max(px * 0.9, 1.1))
            pen.circle(wx, cy, 1.7, fill=BRASS)
        else:
            draw_wheel(pen, wx, cy, R, spokes=10)


# ---------------------------------------------------------------------------
# encoders: PNG, palettes, GIF and the Windows icon
# ---------------------------------------------------------------------------

def _chunk(tag, data):
    return (struct.pack('>I', len(data)) + tag + data +
            struct.pack('>I', zlib.crc32(tag + data) & 0xffffffff))


def _filter_rows(rows, bpp_bytes):
    """Choose a PNG filter per row with the usual minimum-sum heuristic."""
    out = bytearray()
    prev = bytes(len(rows[0]))
    for row in rows:
        best = None
        n = len(row)
        for ftype in range(5):
            f = bytearray(n)
            for i in range(n):
                a = row[i - bpp_bytes] if i >= bpp_bytes else 0
                b = prev[i]
                c = prev[i - bpp_bytes] if i >= bpp_bytes else 0
                if ftype == 0:
                    p = 0
                elif ftype == 1:
                    p = a
                elif ftype == 2:
                    p = b
                elif ftype == 3:
                    p = (a + b) >> 1
                else:
                    pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                    p = a if (pa <= pb and pa <= pc) else (b if pb <= pc else c)
                f[i] = (row[i] - p) & 0xff
            score = sum(v if v < 128 else 256 - v for v in f)
            if best is None or score < best[0]:
                best = (score, ftype, f)
        out.append(best[1])
        out += best[2]
        prev = row
    return bytes(out)


def png_rgba(img):
    w, h = img.size
    raw = img.convert('RGBA').tobytes()
    rows = [raw[y * w * 4:(y + 1) * w * 4] for y in range(h)]
    ihdr = struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0)
    data = zlib.compress(_filter_rows(rows, 4), 9)
    return b'\x89PNG\r\n\x1a\n' + _chunk(b'IHDR', ihdr) + _chunk(b'IDAT', data) + \
        _chunk(b'IEND', b'')


def pack_indices(indices, w, h, bits):
    """Rows of packed palette indices, most significant bits first (top-down)."""
    rows = []
    per = 8 // bits
    for y in range(h):
        row = bytearray()
        for x0 in range(0, w, per):
            v = 0
            for j in range(per):
                x = x0 + j
                v <<= bits
                if x < w:
                    v |= indices[y * w + x]
            row.append(v)
        rows.append(bytes(row))
    return rows


def png_palette(indices, palette, w, h, bits, transparent_index):
    rows = pack_indices(indices, w, h, bits)
    raw = b''.join(b'\x00' + r for r in rows)
    ihdr = struct.pack('>IIBBBBB', w, h, bits, 3, 0, 0, 0)
    plte = b''.join(bytes(c[:3]) for c in palette)
    trns = bytes([255] * transparent_index + [0])
    return (b'\x89PNG\r\n\x1a\n' + _chunk(b'IHDR', ihdr) + _chunk(b'PLTE', plte) +
            _chunk(b'tRNS', trns) + _chunk(b'IDAT', zlib.compress(raw, 9)) +
            _chunk(b'IEND', b''))


def reduce_colours(img, ncolours, dither=False):
    """Map an RGBA image onto a palette of ncolours.

    Index 0 is reserved for transparent pixels and is black, so that it
    leaves the screen untouched when the icon's AND mask is applied.
    Returns (indices, palette) with the palette padded to ncolours entries.
    """
    img = img.convert('RGBA')
    w, h = img.size
    data = list(img.getdata())
    opaque = [p[:3] for p in data if p[3] >= 128]
    strip = Image.new('RGB', (max(1, len(opaque)), 1))
    strip.putdata(opaque or [(0, 0, 0)])
    q = strip.quantize(colors=ncolours - 1, method=Image.Quantize.MEDIANCUT,
                       dither=Image.Dither.NONE)
    pal = q.getpalette()
    used = sorted(set(q.getdata()))
    colours = [tuple(pal[3 * i:3 * i + 3]) for i in used]
    # sort for a stable, tidy palette: dark to light
    colours = sorted(set(colours), key=lambda c: (c[0] * 299 + c[1] * 587 + c[2] * 114, c))
    colours = colours[:ncolours - 1]
    palimg = Image.new('P', (1, 1))
    flat = []
    for c in colours + [colours[0]] * (256 - len(colours)):
        flat += list(c)
    palimg.putpalette(flat)
    rgb = Image.new('RGB', (w, h))
    rgb.putdata([p[:3] for p in data])
    mapped = rgb.quantize(palette=palimg,
                          dither=Image.Dither.FLOYDSTEINBERG if dither else Image.Dither.NONE)
    idx = list(mapped.getdata())
    n = len(colours)
    out = []
    for p, i in zip(data, idx):
        if p[3] < 128:
            out.append(0)
        else:
            out.append(1 + (i if i < n else 0))
    palette = [(0, 0, 0)] + colours
    palette += [(0, 0, 0)] * (ncolours - len(palette))
    return out, palette


def and_mask_rows(img):
    w, h = img.size
    alpha = img.getchannel('A').tobytes()
    stride = ((w + 31) // 32) * 4
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if alpha[y * w + x] < 128:
                row[x >> 3] |= 0x80 >> (x & 7)
        rows.append(bytes(row))
    return b''.join(rows)


def dib_entry(img, bpp):
    """A BMP-style icon image: BITMAPINFOHEADER, palette, XOR rows, AND rows."""
    img = img.convert('RGBA')
    w, h = img.size
    stride = ((w * bpp + 31) // 32) * 4
    if bpp == 32:
        raw = img.tobytes()
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = raw[(y * w + x) * 4:(y * w + x) * 4 + 4]
                if a == 0:
                    r = g = b = 0
                xor += bytes((b, g, r, a))
        palette = b''
    else:
        idx, pal = reduce_colours(img, 1 << bpp)
        rows = pack_indices(idx, w, h, bpp)
        xor = bytearray()
        for r in reversed(rows):
            xor += r + bytes(stride - len(r))
        palette = b''.join(bytes((c[2], c[1], c[0], 0)) for c in pal)
    mask = and_mask_rows(img)
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, bpp, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + palette + bytes(xor) + mask


def write_ico(path, entries):
    """entries: [(size, bpp, data)] in directory order."""
    head = struct.pack('<HHH', 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    dirs = b''
    blobs = b''
    for size, bpp, data in entries:
        dim = 0 if size >= 256 else size
        colour_count = 16 if bpp == 4 else 0
        dirs += struct.pack('<BBBBHHII', dim, dim, colour_count, 0, 1, bpp, len(data), offset)
        offset += len(data)
        blobs += data
    with open(path, 'wb') as f:
        f.write(head + dirs + blobs)


def write_gif(path, img, transparent_matte=None):
    """Save as a palette GIF.  With a matte colour the image keeps a
    transparent background and its soft edges are blended onto the matte."""
    if transparent_matte is None:
        rgb = img.convert('RGB')
        q = rgb.quantize(colors=256, method=Image.Quantize.MEDIANCUT,
                         dither=Image.Dither.NONE)
        q.save(path, 'GIF', optimize=False)
        return
    base = Image.new('RGBA', img.size, transparent_matte)
    base.alpha_composite(img)
    solid = base.copy()
    solid.putalpha(img.getchannel('A').point(lambda a: 255 if a >= 40 else 0))
    idx, pal = reduce_colours(solid, 256)
    out = Image.new('P', img.size)
    out.putdata(idx)
    flat = []
    for c in pal:
        flat += list(c)
    out.putpalette(flat)
    out.save(path, 'GIF', transparency=0, optimize=False)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_assets.py <assets-dir>')
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)

    write_gif(os.path.join(outdir, 'Image1.gif'), draw_scene())
    matte = hexc('#efefef')
    write_gif(os.path.join(outdir, 'Image3_main.gif'), draw_emblem(72), matte)
    write_gif(os.path.join(outdir, 'Image3_about.gif'), draw_emblem(64), matte)

    art = {n: draw_emblem(n) for n in (16, 24, 32, 48, 64, 72, 80, 96, 128, 256)}
    # The PNGs at the sizes the hicolor icon theme lists (it has no 80x80); the .ico has 80 too.
    for n in (16, 24, 32, 48, 64, 72, 96, 128, 256):
        d = os.path.join(outdir, 'icons', 'hicolor', '%dx%d' % (n, n), 'apps')
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, 'tarnwick.png'), 'wb') as f:
            f.write(png_rgba(art[n]))

    # The web page's icons: the sizes a browser asks of an installable page.
    d = os.path.join(outdir, 'web')
    os.makedirs(d, exist_ok=True)
    for n in (192, 512):
        with open(os.path.join(d, 'icon-%d.png' % n), 'wb') as f:
            f.write(png_rgba(draw_emblem(n)))

    entries = []
    big = art[256]
    for bpp in (4, 8):
        idx, pal = reduce_colours(big, 1 << bpp, dither=(bpp == 4))
        entries.append((256, bpp, png_palette(idx, pal, 256, 256, bpp, 0)))
    entries.append((256, 32, png_rgba(big)))
    for bpp in (4, 8):
        for n in (48, 32, 24, 16):
            entries.append((n, bpp, dib_entry(art[n], bpp)))
    for n in (128, 96, 80, 72, 64, 48, 32, 24, 16):
        entries.append((n, 32, dib_entry(art[n], 32)))
    write_ico(os.path.join(outdir, 'tarnwick.ico'), entries)


if __name__ == '__main__':
    main()
