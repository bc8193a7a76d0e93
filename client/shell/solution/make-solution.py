#!/usr/bin/env python3
"""Writes the default interface solution: Language/English.ini and the
Language/English folder with its skin ini files and pictures.

    make-solution.py <program folder>

Every picture is a version-3 BMP (40-byte header, 24 bits) drawn here from
one palette, so the whole look changes in one place. The pictures are drawn
with Pillow (Debian: python3-pil) and DejaVu Sans (fonts-dejavu-core); the
palette and the plain pixel writer above the drawing code are shared with
the scripts that draw the program's own bitmaps, which need no Pillow."""
import math
import os
import struct
import sys

# The palette: dark slate surfaces, one blue accent, light text; green for
# live devices and red for recording in the toolkit's state pictures.
BACK = (30, 34, 42)
PANEL = (44, 50, 60)
PANEL_HI = (58, 66, 78)
EDGE = (18, 20, 26)
ACCENT = (0, 122, 204)
ACCENT_HI = (28, 151, 234)
ACCENT_LO = (0, 90, 160)
DISABLED = (80, 86, 96)
TEXT = (230, 234, 240)
LIVE = (64, 184, 104)
RECORD = (222, 62, 52)


def rgb_text(c):
    return "%d, %d, %d" % c


def bmp(path, w, h, pixel):
    """pixel(x, y) -> (r, g, b); y = 0 is the top row."""
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - w * 3)
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    with open(path, "wb") as f:
        f.write(head + info + data)


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def strip(top, bottom, border=EDGE):
    """A vertical gradient with a one-pixel border."""
    def pixel_for(w, h):
        def pixel(x, y):
            if x == 0 or y == 0 or x == w - 1 or y == h - 1:
                return border
            return mix(top, bottom, y / max(1, h - 1))
        return pixel
    return pixel_for


STATES = {
    "up": strip(PANEL_HI, PANEL),
    "over": strip(ACCENT_HI, ACCENT),
    "down": strip(ACCENT, ACCENT_LO),
    "disable": strip(DISABLED, mix(DISABLED, EDGE, 0.4)),
    "fill": strip(PANEL, PANEL),
}


# ---------------------------------------------------------------- drawing
# Every picture of the solution is drawn with Pillow: shapes four times as
# large and scaled down (smooth edges), texts at their own size in DejaVu
# Sans. Text is 11 pixels or larger (8 points at 96 dpi) and keeps a contrast
# of 4.5:1 or more against the face it stands on; the script stops when a
# pair of the palette does not.
PRODUCT = "Dravenor"
VERSION = "1.0.1"
WHITE = (255, 255, 255)
INK_DARK = (24, 28, 36)
SS = 4
FONT_DIRS = ("/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/TTF", "/usr/share/fonts/dejavu")
MIN_TEXT_PX = 11
MIN_CONTRAST = 4.5

# Button faces, (top, bottom, border, ink) per state: the dark faces carry
# the glyphs and captions drawn here; the light faces stand behind captions
# that the controls draw themselves in the system's dark button text.
DARK_FACES = {
    "up": (PANEL_HI, PANEL, EDGE, TEXT),
    "over": ((0, 104, 176), (0, 86, 148), ACCENT_HI, WHITE),
    "down": ((0, 58, 104), (0, 74, 130), EDGE, WHITE),
    "disable": ((50, 54, 62), (44, 48, 56), (40, 44, 52), (112, 118, 128)),
}
LIGHT_FACES = {
    "up": ((240, 242, 246), (212, 217, 225), (120, 128, 140), INK_DARK),
    "over": ((226, 240, 252), (192, 220, 244), ACCENT, INK_DARK),
    "down": ((168, 198, 226), (192, 214, 236), ACCENT_LO, INK_DARK),
    "disable": ((206, 208, 212), (196, 198, 202), (150, 154, 160), (120, 124, 130)),
}
BUTTON_STATES = ("up", "over", "down", "disable")


def luminance(c):
    def lin(v):
        v /= 255.0
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (lin(v) for v in c)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def check_palette():
    """Text of every enabled state against both ends of its face."""
    pairs = [(TEXT, BACK), (TEXT, PANEL), (TEXT, EDGE)]
    for faces in (DARK_FACES, LIGHT_FACES):
        for state in ("up", "over", "down"):
            top, bottom, _, ink = faces[state]
            pairs += [(ink, top), (ink, bottom)]
    for ink, back in pairs:
        if contrast(ink, back) < MIN_CONTRAST:
            sys.exit("make-solution: text %s on %s has a contrast of %.2f:1 only" % (ink, back, contrast(ink, back)))


_fonts = {}


def font(size, bold=False):
    from PIL import ImageFont
    if size < MIN_TEXT_PX:
        sys.exit("make-solution: text of %d pixels is below 8 points" % size)
    key = (size, bold)
    if key not in _fonts:
        name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
        for d in FONT_DIRS:
            path = os.path.join(d, name)
            if os.path.exists(path):
                # The basic layout: the same pixels whether or not libraqm is there.
                _fonts[key] = ImageFont.truetype(path, size, layout_engine=ImageFont.Layout.BASIC)
                break
        else:
            sys.exit("make-solution: %s not found (Debian: fonts-dejavu-core)" % name)
    return _fonts[key]


class Canvas:
    """A picture drawn in pixel coordinates: shapes at SS times the size,
    texts at their own size once the shapes are scaled down."""

    def __init__(self, w, h, fill=BACK):
        from PIL import Image, ImageDraw
        self.w, self.h = w, h
        self.big = Image.new("RGB", (w * SS, h * SS), fill)
        self.d = ImageDraw.Draw(self.big)
        self.texts = []

    @staticmethod
    def _p(v):
        return round(v * SS)

    def gradient(self, x0, y0, x1, y1, top, bottom, radius=0, border=None):
        """A vertical blend over [x0, x1) x [y0, y1), corners rounded."""
        from PIL import Image, ImageDraw
        w, h = self._p(x1) - self._p(x0), self._p(y1) - self._p(y0)
        band = Image.new("RGB", (1, h))
        for y in range(h):
            band.putpixel((0, y), mix(top, bottom, y / max(1, h - 1)))
        band = band.resize((w, h))
        mask = Image.new("L", (w, h), 0)
        ImageDraw.Draw(mask).rounded_rectangle([0, 0, w - 1, h - 1], radius * SS, fill=255)
        self.big.paste(band, (self._p(x0), self._p(y0)), mask)
        if border:
            self.d.rounded_rectangle([self._p(x0), self._p(y0), self._p(x1) - 1, self._p(y1) - 1], radius * SS,
                                     outline=border, width=SS)

    def rect(self, x0, y0, x1, y1, fill=None, outline=None, width=1.0, radius=0):
        self.d.rounded_rectangle([self._p(x0), self._p(y0), self._p(x1) - 1, self._p(y1) - 1], self._p(radius),
                                 fill=fill, outline=outline, width=self._p(width) if outline else 0)

    def poly(self, pts, fill):
        self.d.polygon([(self._p(x), self._p(y)) for x, y in pts], fill=fill)

    def disc(self, cx, cy, r, fill):
        self.d.ellipse([self._p(cx - r), self._p(cy - r), self._p(cx + r), self._p(cy + r)], fill=fill)

    def ring(self, cx, cy, r, ink, width=1.6):
        self.d.ellipse([self._p(cx - r), self._p(cy - r), self._p(cx + r), self._p(cy + r)], outline=ink,
                       width=self._p(width))

    def arc(self, cx, cy, r, start, end, ink, width=1.6):
        self.d.arc([self._p(cx - r), self._p(cy - r), self._p(cx + r), self._p(cy + r)], start, end, fill=ink,
                   width=self._p(width))

    def pie(self, cx, cy, r, start, end, fill):
        self.d.pieslice([self._p(cx - r), self._p(cy - r), self._p(cx + r), self._p(cy + r)], start, end, fill=fill)

    def line(self, pts, ink, width=1.6):
        self.d.line([(self._p(x), self._p(y)) for x, y in pts], fill=ink, width=self._p(width), joint="curve")
        for x, y in (pts[0], pts[-1]):
            self.disc(x, y, width / 2, ink)

    def text(self, x, y, s, size, ink, bold=False, anchor="lm", back=None):
        self.texts.append((x, y, s, size, ink, bold, anchor))

    def text_width(self, s, size, bold=False):
        l, _, r, _ = font(size, bold).getbbox(s)
        return r - l

    def image(self):
        from PIL import Image, ImageDraw
        small = self.big.resize((self.w, self.h), Image.BOX)
        d = ImageDraw.Draw(small)
        for x, y, s, size, ink, bold, anchor in self.texts:
            d.text((x, y), s, fill=ink, font=font(size, bold), anchor=anchor)
        return small

    def save(self, path):
        # Pillow writes RGB pictures as version-3 BMPs of 24 bits, bottom-up.
        self.image().save(path, format="BMP")


def face(c, x0, y0, x1, y1, state, faces=DARK_FACES, radius=3):
    """A button face; returns its ink and the press offset of its content."""
    top, bottom, border, ink = faces[state]
    c.gradient(x0, y0, x1, y1, top, bottom, radius, border)
    if state in ("up", "over") and radius < 8:
        # A light top edge: the face stands out of the panel.
        c.rect(x0 + 2, y0 + 1, x1 - 2, y0 + 2, fill=mix(top, WHITE, 0.25))
    return ink, (1 if state == "down" else 0)


# ---- glyphs: each drawn into the box centred at (cx, cy) of size s

def g_arrow(c, cx, cy, s, ink, dx, dy):
    """A solid arrow head pointing along (dx, dy)."""
    if dx and dy:
        # A corner triangle whose right angle is the tip: a plain triangle
        # turned 45 degrees reads as pointing along the pad's axes.
        k, span = s * 0.2, s * 0.52
        tx, ty = cx + dx * k, cy + dy * k
        c.poly([(tx, ty), (tx - dx * span, ty), (tx, ty - dy * span)], ink)
        return
    n = math.hypot(dx, dy)
    ux, uy = dx / n, dy / n
    px, py = -uy, ux
    tip, back, half = s * 0.34, s * 0.2, s * 0.28
    c.poly([(cx + ux * tip, cy + uy * tip), (cx - ux * back + px * half, cy - uy * back + py * half),
            (cx - ux * back - px * half, cy - uy * back - py * half)], ink)


def g_stop(c, cx, cy, s, ink):
    c.ring(cx, cy, s * 0.34, ink, 1.5)
    h = s * 0.15
    c.rect(cx - h, cy - h, cx + h, cy + h, fill=ink)


def g_minus(c, cx, cy, s, ink):
    c.rect(cx - s * 0.3, cy - 1.2, cx + s * 0.3, cy + 1.2, fill=ink)


def g_plus(c, cx, cy, s, ink):
    g_minus(c, cx, cy, s, ink)
    c.rect(cx - 1.2, cy - s * 0.3, cx + 1.2, cy + s * 0.3, fill=ink)


def g_magnifier(c, cx, cy, s, ink):
    r = s * 0.26
    ox, oy = cx - s * 0.08, cy - s * 0.08
    c.ring(ox, oy, r, ink, 1.6)
    c.line([(ox + r * 0.75, oy + r * 0.75), (cx + s * 0.38, cy + s * 0.38)], ink, 2.2)


def g_iris(c, cx, cy, s, ink):
    r = s * 0.4
    c.ring(cx, cy, r, ink, 1.4)
    for i in range(6):
        a = math.radians(i * 60 + 15)
        b = math.radians(i * 60 + 95)
        c.line([(cx + r * math.cos(a), cy + r * math.sin(a)), (cx + r * 0.35 * math.cos(b), cy + r * 0.35 * math.sin(b))],
               ink, 1.1)


def g_focus(c, cx, cy, s, ink):
    r = s * 0.4
    k = s * 0.16
    for sx in (-1, 1):
        for sy in (-1, 1):
            x, y = cx + sx * r, cy + sy * r
            c.line([(x, y - sy * k), (x, y), (x - sx * k, y)], ink, 1.4)
    c.disc(cx, cy, s * 0.12, ink)


def g_sun(c, cx, cy, s, ink):
    c.disc(cx, cy, s * 0.17, ink)
    for i in range(8):
        a = math.radians(i * 45)
        c.line([(cx + s * 0.28 * math.cos(a), cy + s * 0.28 * math.sin(a)),
                (cx + s * 0.42 * math.cos(a), cy + s * 0.42 * math.sin(a))], ink, 1.3)


def g_contrast(c, cx, cy, s, ink):
    r = s * 0.38
    c.ring(cx, cy, r, ink, 1.4)
    c.pie(cx, cy, r, 90, 270, ink)


def g_drop(c, cx, cy, s, ink):
    r = s * 0.24
    by = cy + s * 0.12
    c.disc(cx, by, r, ink)
    c.poly([(cx, cy - s * 0.42), (cx + r * 0.95, by - r * 0.3), (cx - r * 0.95, by - r * 0.3)], ink)


def g_hue(c, cx, cy, s, ink, grey=False):
    r = s * 0.4
    hues = [(232, 64, 64), (240, 200, 40), (64, 190, 90), (40, 170, 230), (70, 90, 230), (200, 70, 210)]
    for i, col in enumerate(hues):
        c.pie(cx, cy, r, i * 60 - 90, i * 60 - 30, mix(col, (120, 124, 130), 0.8) if grey else col)
    c.disc(cx, cy, r * 0.38, ink)


def g_camera(c, cx, cy, s, ink):
    """A dome camera on a bracket: what the PTZ panel moves."""
    c.rect(cx - s * 0.42, cy - s * 0.2, cx + s * 0.18, cy + s * 0.16, fill=ink, radius=1.5)
    c.poly([(cx + s * 0.18, cy - s * 0.08), (cx + s * 0.42, cy - s * 0.22), (cx + s * 0.42, cy + s * 0.3),
            (cx + s * 0.18, cy + s * 0.1)], ink)


def g_palette(c, cx, cy, s, ink, grey=False):
    g_hue(c, cx, cy, s, ink, grey)


def g_plan(c, cx, cy, s, ink):
    """A list of plans: three lines with their bullets."""
    for i in range(3):
        y = cy - s * 0.28 + i * s * 0.28
        c.disc(cx - s * 0.33, y, s * 0.07, ink)
        c.rect(cx - s * 0.18, y - 1, cx + s * 0.42, y + 1, fill=ink)


def g_chevron(c, cx, cy, s, ink):
    c.line([(cx - s * 0.3, cy - s * 0.14), (cx, cy + s * 0.16), (cx + s * 0.3, cy - s * 0.14)], ink, 1.8)


def g_device(c, cx, cy, s, ink):
    """Two stacked recorder boxes, each with a drive slot and a lamp."""
    for i in (0, 1):
        y = cy - s * 0.36 + i * s * 0.4
        c.rect(cx - s * 0.42, y, cx + s * 0.42, y + s * 0.32, outline=ink, width=1.3, radius=1.5)
        c.rect(cx - s * 0.28, y + s * 0.14, cx + s * 0.02, y + s * 0.18, fill=ink)
        c.disc(cx + s * 0.24, y + s * 0.16, s * 0.06, ink)


def g_record(c, cx, cy, s, ink, red=RECORD):
    c.ring(cx, cy, s * 0.38, ink, 1.3)
    c.disc(cx, cy, s * 0.24, red)


def g_power(c, cx, cy, s, ink):
    c.arc(cx, cy + s * 0.04, s * 0.32, -55, 235, ink, 1.8)
    c.line([(cx, cy - s * 0.4), (cx, cy)], ink, 1.8)


def g_microphone(c, cx, cy, s, ink):
    c.rect(cx - s * 0.12, cy - s * 0.42, cx + s * 0.12, cy + s * 0.08, fill=ink, radius=s * 0.12)
    c.arc(cx, cy - s * 0.06, s * 0.24, 0, 180, ink, 1.4)
    c.line([(cx, cy + s * 0.18), (cx, cy + s * 0.38)], ink, 1.4)
    c.line([(cx - s * 0.16, cy + s * 0.4), (cx + s * 0.16, cy + s * 0.4)], ink, 1.4)


def g_gear(c, cx, cy, s, ink, back):
    r = s * 0.3
    for i in range(8):
        a = math.radians(i * 45)
        px, py = cx + r * math.cos(a), cy + r * math.sin(a)
        c.disc(px, py, s * 0.1, ink)
    c.disc(cx, cy, r, ink)
    c.disc(cx, cy, s * 0.12, back)


def g_grid(c, cx, cy, s, ink, n=2):
    x0, y0, x1, y1 = cx - s * 0.4, cy - s * 0.34, cx + s * 0.4, cy + s * 0.34
    c.rect(x0, y0, x1, y1, outline=ink, width=1.3)
    for i in range(1, n):
        x = x0 + (x1 - x0) * i / n
        y = y0 + (y1 - y0) * i / n
        c.rect(x - 0.6, y0, x + 0.6, y1, fill=ink)
        c.rect(x0, y - 0.6, x1, y + 0.6, fill=ink)


def g_play(c, cx, cy, s, ink):
    c.poly([(cx - s * 0.2, cy - s * 0.3), (cx + s * 0.3, cy), (cx - s * 0.2, cy + s * 0.3)], ink)


def g_playback(c, cx, cy, s, ink):
    """Play inside a turning arrow: play what was recorded."""
    c.arc(cx, cy, s * 0.4, 200, 520 - 60, ink, 1.4)
    c.poly([(cx - s * 0.44, cy - s * 0.02), (cx - s * 0.22, cy - s * 0.02), (cx - s * 0.36, cy - s * 0.24)], ink)
    g_play(c, cx + s * 0.04, cy, s * 0.6, ink)


def g_calendar_rec(c, cx, cy, s, ink):
    x0, y0, x1, y1 = cx - s * 0.4, cy - s * 0.34, cx + s * 0.4, cy + s * 0.38
    c.rect(x0, y0, x1, y1, outline=ink, width=1.3, radius=1)
    c.rect(x0, y0, x1, y0 + s * 0.18, fill=ink)
    c.disc(cx, cy + s * 0.1, s * 0.16, RECORD)


# Player bar glyphs: the file player's ten buttons.
def g_pause(c, cx, cy, s, ink):
    c.rect(cx - s * 0.24, cy - s * 0.3, cx - s * 0.06, cy + s * 0.3, fill=ink)
    c.rect(cx + s * 0.06, cy - s * 0.3, cx + s * 0.24, cy + s * 0.3, fill=ink)


def g_square(c, cx, cy, s, ink):
    c.rect(cx - s * 0.24, cy - s * 0.24, cx + s * 0.24, cy + s * 0.24, fill=ink, radius=1)


def g_fast(c, cx, cy, s, ink, back=False):
    k = -1 if back else 1
    for off in (-0.22, 0.14):
        x = cx + k * s * off
        c.poly([(x - k * s * 0.18, cy - s * 0.24), (x + k * s * 0.18, cy), (x - k * s * 0.18, cy + s * 0.24)], ink)


def g_slow(c, cx, cy, s, ink):
    g_fast(c, cx, cy, s, ink, back=True)


def g_next(c, cx, cy, s, ink):
    c.poly([(cx - s * 0.26, cy - s * 0.26), (cx + s * 0.1, cy), (cx - s * 0.26, cy + s * 0.26)], ink)
    c.rect(cx + s * 0.14, cy - s * 0.26, cx + s * 0.24, cy + s * 0.26, fill=ink)


def g_shot(c, cx, cy, s, ink, back):
    c.rect(cx - s * 0.38, cy - s * 0.18, cx + s * 0.38, cy + s * 0.3, fill=ink, radius=2)
    c.rect(cx - s * 0.14, cy - s * 0.3, cx + s * 0.1, cy - s * 0.16, fill=ink)
    c.disc(cx, cy + s * 0.06, s * 0.15, back)
    c.disc(cx, cy + s * 0.06, s * 0.08, ink)


def g_open(c, cx, cy, s, ink):
    c.poly([(cx - s * 0.4, cy - s * 0.26), (cx - s * 0.12, cy - s * 0.26), (cx - s * 0.04, cy - s * 0.18),
            (cx + s * 0.34, cy - s * 0.18), (cx + s * 0.34, cy + s * 0.3), (cx - s * 0.4, cy + s * 0.3)], ink)


def g_save(c, cx, cy, s, ink, back):
    c.rect(cx - s * 0.34, cy - s * 0.34, cx + s * 0.34, cy + s * 0.34, fill=ink, radius=1.5)
    c.rect(cx - s * 0.2, cy - s * 0.34, cx + s * 0.14, cy - s * 0.1, fill=back)
    c.rect(cx - s * 0.22, cy + s * 0.04, cx + s * 0.22, cy + s * 0.26, fill=back)


def g_sound(c, cx, cy, s, ink):
    c.poly([(cx - s * 0.38, cy - s * 0.12), (cx - s * 0.2, cy - s * 0.12), (cx, cy - s * 0.32), (cx, cy + s * 0.32),
            (cx - s * 0.2, cy + s * 0.12), (cx - s * 0.38, cy + s * 0.12)], ink)
    c.arc(cx + s * 0.02, cy, s * 0.18, -50, 50, ink, 1.4)
    c.arc(cx + s * 0.02, cy, s * 0.34, -50, 50, ink, 1.4)


def g_mark(c, cx, cy, s):
    """The product's mark: a lens in an accent square."""
    c.rect(cx - s / 2, cy - s / 2, cx + s / 2, cy + s / 2, fill=ACCENT, radius=s * 0.22)
    c.ring(cx, cy, s * 0.3, WHITE, max(1.4, s * 0.08))
    c.disc(cx, cy, s * 0.14, WHITE)
    c.disc(cx + s * 0.2, cy - s * 0.2, max(1.0, s * 0.05), WHITE)


# ---------------------------------------------------------------- panels

def glyph_button(c, rect, state, draw, size=None, faces=DARK_FACES, radius=3):
    x0, y0, x1, y1 = rect
    ink, off = face(c, x0, y0, x1, y1, state, faces, radius)
    s = size or min(x1 - x0, y1 - y0) * 0.78
    draw(c, (x0 + x1) / 2 + off, (y0 + y1) / 2 + off, s, ink)
    return ink


def header(c, state, icon, caption, w=168, h=36):
    """A side panel's header: its icon, its name and the open/close mark."""
    ink, off = face(c, 0, 0, w, h, state, radius=0)
    icon(c, 18 + off, h / 2 + off, 20, ink)
    c.text(34 + off, h / 2 + off, caption, 13, ink, bold=True)
    g_chevron(c, w - 16 + off, h / 2 + off, 14, ink)


def panel_states(folder, prefix, w, h, draw):
    names = {}
    for state in BUTTON_STATES:
        c = Canvas(w, h, PANEL)
        # The panel body: a quiet blend with a line along its left edge.
        c.gradient(0, 0, w, h, PANEL, mix(PANEL, BACK, 0.6))
        c.rect(0, 0, 1, h, fill=EDGE)
        draw(c, state)
        name = "%s_%s.bmp" % (prefix, state)
        c.save(os.path.join(folder, name))
        names[state] = name
    return names


# The PTZ panel's buttons: the header, the direction pad around its centre
# stop (Sit), the zoom, iris and focus pairs; the pairs' names are the
# panel's labels, drawn by the panel between each pair.
PTZ_BUTTONS = [("PTZShow", 0, 0, 168, 36),
               ("LeftUp", 36, 48, 30, 30), ("Up", 70, 48, 30, 30), ("RightUp", 104, 48, 30, 30),
               ("Left", 36, 82, 30, 30), ("Sit", 70, 82, 30, 30), ("Right", 104, 82, 30, 30),
               ("LeftDown", 36, 116, 30, 30), ("Down", 70, 116, 30, 30), ("RightDown", 104, 116, 30, 30),
               ("ZoomReduce", 30, 172, 26, 22), ("ZoomAdd", 114, 172, 26, 22),
               ("IrisReduce", 30, 202, 26, 22), ("IrisAdd", 114, 202, 26, 22),
               ("FocusReduce", 30, 232, 26, 22), ("FocusAdd", 114, 232, 26, 22)]
PTZ_DIRECTIONS = {"LeftUp": (-1, -1), "Up": (0, -1), "RightUp": (1, -1), "Left": (-1, 0), "Right": (1, 0),
                  "LeftDown": (-1, 1), "Down": (0, 1), "RightDown": (1, 1)}
PTZ_LABEL_BACK = mix(PANEL, EDGE, 0.5)
PTZ_ROWS = (("Zoom", 172, g_magnifier), ("Iris", 202, g_iris), ("Focus", 232, g_focus))


def ptz_panel(c, state):
    header(c, state, g_camera, "PTZ Control")
    # The pad's well.
    c.rect(31, 43, 139, 151, fill=mix(PANEL, EDGE, 0.5), outline=EDGE, radius=8)
    for key, x, y, w, h in PTZ_BUTTONS[1:]:
        r = (x, y, x + w, y + h)
        if key in PTZ_DIRECTIONS:
            dx, dy = PTZ_DIRECTIONS[key]
            glyph_button(c, r, state, lambda c, cx, cy, s, ink, dx=dx, dy=dy: g_arrow(c, cx, cy, s, ink, dx, dy),
                         radius=4)
        elif key == "Sit":
            glyph_button(c, r, state, g_stop, radius=15)
        elif key.endswith("Reduce"):
            glyph_button(c, r, state, g_minus, 16)
        else:
            glyph_button(c, r, state, g_plus, 16)
    # Each lens row's mark at the left, and the well between the pair where
    # the panel writes the row's name.
    for _, y, icon in PTZ_ROWS:
        icon(c, 15, y + 11, 18, TEXT)
        c.rect(58, y, 112, y + 22, fill=PTZ_LABEL_BACK, radius=3)
    c.rect(8, 160, 161, 161, fill=EDGE)


COLOR_LABELS = (g_sun, g_contrast, g_drop, g_hue)


def color_positions():
    """Header, Default and the four slider labels btn1..btn4."""
    pos = {"ColorShow": (0, 0, 168, 36), "Default": (96, 142, 160, 164)}
    # Beside the four sliders of the panel's dialog, one 23 pixels below the other.
    for i, y in enumerate((42, 65, 87, 110)):
        pos["btn%d" % (i + 1)] = (6, y, 30, y + 20)
    return pos


def color_panel(c, state):
    pos = color_positions()
    header(c, state, lambda c, cx, cy, s, ink: g_hue(c, cx, cy, s, ink, state == "disable"), "Colour")
    for i, draw in enumerate(COLOR_LABELS):
        if draw is g_hue:
            draw = (lambda c, cx, cy, s, ink: g_hue(c, cx, cy, s, ink, state == "disable"))
        glyph_button(c, pos["btn%d" % (i + 1)], state, draw, 15)
    x0, y0, x1, y1 = pos["Default"]
    ink, off = face(c, x0, y0, x1, y1, state)
    c.text((x0 + x1) / 2 + off, (y0 + y1) / 2 + off, "Default", 11, ink, anchor="mm")


def plan_panel(c, state):
    header(c, state, g_plan, "Plans")


DEVICE_BUTTONS = (("DevcManage", g_device), ("Record", g_record), ("Reboot", g_power), ("Talking", g_microphone))


def device_header(c, state):
    for i, (key, draw) in enumerate(DEVICE_BUTTONS):
        x = 4 + i * 40
        glyph_button(c, (x, 4, x + 36, 30), state, draw, 20)


# The tool bar's top buttons: a glyph at the left of each face; the control
# draws its caption (a text of the language file) in the middle. They end
# left of the logo of a window 1024 pixels wide.
TOP_BUTTONS = (("TopPlayBack", "Play Back", (340, 6, 452, 34), g_playback),
               ("TopConfig", "Settings", (460, 6, 564, 34), None),
               ("TopPreviewPlan", "Preview Plans", (572, 6, 704, 34), g_grid),
               ("TopRecordPlan", "Record Plans", (712, 6, 840, 34), g_calendar_rec))


def toolbar(c, state):
    for _, _, (x0, y0, x1, y1), draw in TOP_BUTTONS:
        top, bottom, border, ink = LIGHT_FACES[state]
        ink, off = face(c, x0, y0, x1, y1, state, LIGHT_FACES, 4)
        if draw is None:
            g_gear(c, x0 + 13 + off, (y0 + y1) / 2 + off, 16, ink, mix(top, bottom, 0.5))
        else:
            draw(c, x0 + 13 + off, (y0 + y1) / 2 + off, 16, ink)


def title_strip(w, h):
    c = Canvas(w, h)
    c.gradient(0, 0, w, h, mix(PANEL, BACK, 0.3), BACK)
    c.rect(0, h - 2, w, h, fill=ACCENT_LO)
    g_mark(c, 20, h / 2 - 1, 24)
    c.text(40, h / 2 - 1, PRODUCT, 18, TEXT, bold=True)
    return c


def logo(w, h):
    c = Canvas(w, h)
    c.gradient(0, 0, w, h, mix(PANEL, BACK, 0.3), BACK)
    c.rect(0, h - 2, w, h, fill=ACCENT_LO)
    g_mark(c, 16, h / 2 - 1, 22)
    c.text(34, h / 2 - 8, PRODUCT, 13, TEXT, bold=True)
    c.text(34, h / 2 + 8, "Version " + VERSION, 11, TEXT)
    return c


def banner(w, h, mark, name_px, lines):
    """The login banner and the splash: the mark, the name, the version."""
    c = Canvas(w, h)
    c.gradient(0, 0, w, h, mix(PANEL, BACK, 0.2), BACK)
    c.rect(0, h - 3, w, h, fill=ACCENT)
    cx = 24 + mark / 2
    g_mark(c, cx, h / 2 - 4, mark)
    x = cx + mark / 2 + 16
    c.text(x, h / 2 - 4 - name_px * 0.45, PRODUCT, name_px, TEXT, bold=True, anchor="ls")
    y = h / 2 + 6
    for text, px in lines:
        c.text(x, y, text, px, TEXT, anchor="lm")
        y += px + 6
    return c


def state_pictures(folder, prefix, w, h, draw, back=BACK, states=BUTTON_STATES):
    names = {}
    for state in states:
        c = Canvas(w, h, back)
        c.gradient(0, 0, w, h, mix(PANEL, BACK, 0.3), BACK)
        draw(c, state)
        name = "%s_%s.bmp" % (prefix, state)
        c.save(os.path.join(folder, name))
        names[state] = name
    return names


def image_keys(names):
    keys = {"up": "BackImage_Up", "over": "BackImage_Over", "down": "BackImage_Down",
            "disable": "BackImage_Disable", "fill": "BackImage_Fill", "background": "BackImage_Background"}
    return "".join("%s=%s\r\n" % (keys[s], n) for s, n in names.items())


def write(path, text):
    with open(path, "w", newline="") as f:
        f.write(text)


STATUS_LEFT, STATUS_TOP = 4, 730
STATUS_COMMANDS = ("AllOpen", "AllClose", "MonitorKind", "RecordKind", "AlarmKind", "Hide")


def status_rects():
    """The kind button and the six command buttons in the bar's own
    coordinates; their captions are drawn by the buttons."""
    rects = {"Preview": (4, 3, 103, 27)}
    rows = (3, 17)
    for i, name in enumerate(STATUS_COMMANDS):
        x = 792 + (i // 2) * 66
        y = rows[i % 2]
        rects[name] = (x, y, x + 61, y + 12)
    return rects


def status_bar_keys(pictures):
    """[SystemStatusBar]: the bar's place in the main window, its pictures
    (each as large as the bar), the kind button, two rows of 32 channel
    lamps and six command buttons, all in main-window coordinates."""
    left, top = STATUS_LEFT, STATUS_TOP
    keys = ["InMainWnd_Region=%d, %d, %d, %d" % (left, top, left + 1016, top + 30),
            "LabelTextColor=%s" % rgb_text(TEXT), "LabelBackColor=%s" % rgb_text(EDGE)]
    rects = status_rects()
    x0, y0, x1, y1 = rects["Preview"]
    keys.append("Preview_Position=%d, %d, %d, %d" % (left + x0, top + y0, left + x1, top + y1))
    rows = (top + 3, top + 17)
    for i in range(64):
        x = left + 112 + (i % 32) * 21
        y = rows[i // 32]
        keys.append("Ch%d_Position=%d, %d, %d, %d" % (i + 1, x, y, x + 18, y + 12))
    for name in STATUS_COMMANDS:
        x0, y0, x1, y1 = rects[name]
        keys.append("%s_Position=%d, %d, %d, %d" % (name, left + x0, top + y0, left + x1, top + y1))
    return image_keys(pictures) + "".join(k + "\r\n" for k in keys)


def status_bar(c, state):
    if state == "fill":
        return
    for r in status_rects().values():
        face(c, *r, state, LIGHT_FACES, 2)


# The file player's control bar: ten 32 x 32 buttons cut from the four state
# pictures at the [MainButtons] positions of player_config.ini, each with its
# glyph; the fill picture stretches behind the status texts on the right.
PLAYER_BUTTONS = ("Play", "Pause", "Stop", "Fast", "Slow", "Next", "Shot", "Open", "Save", "Sound")
PLAYER_W, PLAYER_H = 580, 55


def player_place(i):
    return 8 + i * 38, 12


def player_bar(c, state):
    if state == "fill":
        return
    top, bottom = DARK_FACES[state][:2]
    back = mix(top, bottom, 0.5)
    glyphs = {"Play": g_play, "Pause": g_pause, "Stop": g_square, "Fast": g_fast, "Slow": g_slow, "Next": g_next,
              "Shot": lambda c, cx, cy, s, ink: g_shot(c, cx, cy, s, ink, back), "Open": g_open,
              "Save": lambda c, cx, cy, s, ink: g_save(c, cx, cy, s, ink, back), "Sound": g_sound}
    for i, name in enumerate(PLAYER_BUTTONS):
        bx, by = player_place(i)
        glyph_button(c, (bx, by, bx + 32, by + 32), state, glyphs[name], 24)


def player_skin(folder):
    """Writes the bar's pictures and player_config.ini; returns the picture
    names for [PlayerSettings] of Config.ini."""
    names = state_pictures(folder, "player", PLAYER_W, PLAYER_H, player_bar, states=BUTTON_STATES + ("fill",))
    lines = ["[MainButtons]"]
    for i, name in enumerate(PLAYER_BUTTONS):
        bx, by = player_place(i)
        lines.append("%s_Position=%d, %d, %d, %d" % (name, bx, by, bx + 31, by + 31))
    write(os.path.join(folder, "player_config.ini"), "\r\n".join(lines) + "\r\n")
    return names


def login_dialog_keys(folder):
    """[LoginDlgSettings]: the four pictures of the login dialog's OK and
    Cancel buttons, drawn stretched over each button; the buttons draw
    their own captions in a colour that stands out from the face."""
    return image_keys(state_pictures(folder, "login_button", 80, 24,
                                     lambda c, state: face(c, 0, 0, 80, 24, state, DARK_FACES, 3)))


def switch_button(c, state):
    glyph_button(c, (0, 0, 24, 24), state, lambda c, cx, cy, s, ink: g_grid(c, cx, cy, s, ink, 2), 18)


def rect_keys(rects):
    return "".join("%s_Position=%d, %d, %d, %d\r\n" % ((k,) + tuple(r)) for k, r in rects)


def main():
    check_palette()
    if contrast(TEXT, PTZ_LABEL_BACK) < MIN_CONTRAST:
        sys.exit("make-solution: the PTZ labels do not stand out from their well")
    root = sys.argv[1]
    lang = os.path.join(root, "Language")
    sol = os.path.join(lang, "English")
    os.makedirs(sol, exist_ok=True)

    write(os.path.join(lang, "English.ini"),
          "[Info]\r\nLanguage=English\r\nImgDir=English\r\nAuthor=Selvane\r\n"
          "[String]\r\n")

    tb = state_pictures(sol, "toolbar", 1024, 40, toolbar)
    title_strip(1024, 40).save(os.path.join(sol, "title.bmp"))
    logo(160, 40).save(os.path.join(sol, "logo.bmp"))
    banner(360, 120, 64, 30, [("Video Surveillance Client", 13), ("Version " + VERSION, 11)]).save(
        os.path.join(sol, "login.bmp"))
    banner(400, 200, 88, 36, [("Video Surveillance Client", 15), ("Version " + VERSION, 12)]).save(
        os.path.join(sol, "StartLogo.bmp"))
    player = player_skin(sol)
    color = panel_states(sol, "color", 169, 170, color_panel)
    plan = panel_states(sol, "plan", 169, 117, plan_panel)
    ptz = panel_states(sol, "ptz", 169, 270, ptz_panel)
    device = panel_states(sol, "device", 169, 37, device_header)
    device["background"] = "device_background.bmp"
    bg = Canvas(169, 400, PANEL)
    bg.gradient(0, 0, 169, 400, PANEL, BACK)
    bg.rect(0, 0, 1, 400, fill=EDGE)
    bg.save(os.path.join(sol, device["background"]))
    switch = state_pictures(sol, "switch", 24, 24, switch_button)
    status = state_pictures(sol, "statusbar", 1017, 31, status_bar, states=BUTTON_STATES + ("fill",))

    write(os.path.join(sol, "Config.ini"),
          "[MainSettings]\r\nBackColor=%s\r\nMonBackColor=%s\r\nLog_Image=login.bmp\r\n"
          "[LoginDlgSettings]\r\n%s"
          "[ToolBarSettings]\r\n%sHeight=40\r\nWidth=1024\r\n"
          "[TopLogSettings]\r\nImage=title.bmp\r\nLogo=logo.bmp\r\n"
          "[MarginSettings]\r\nTop=70\r\nLeft=4\r\nBottom=4\r\nRight=4\r\n"
          "[PreviewWndInfo]\r\nPosition=4, 70, 850, 700\r\nBackColor=%s\r\nOverlayColor=%s\r\n"
          "LineColor=%s\r\nLineFocusColor=%s\r\nLineWidth=1\r\n"
          "[LeftDlgs]\r\nHeight=37\r\nWidth=169\r\nFirstDlgHeight=50\r\n"
          "[DeviceDlg]\r\nInMainWnd_Region=855, 70, 1020, 420\r\n"
          "[SystemStatusBar]\r\n%s"
          "[SwitchModeDlgSettings]\r\nHeight=24\r\nWidth=24\r\nMarginLeft=5\r\nInterval=3\r\n%s"
          "[ColorDlgSettings]\r\n%s[PlanDlgSettings]\r\n%s[PtzDlgExSettings]\r\n%s[PlayerSettings]\r\n%s"
          "[PlayWndSettings]\r\nTitleBackColor=%s\r\nMarginRight=3\r\nInterval=3\r\nTitleHeight=16\r\n"
          "TitleButtonHeight=12\r\nTitleButtonWidth=12\r\n"
          % (rgb_text(BACK), rgb_text(EDGE), login_dialog_keys(sol), image_keys(tb), rgb_text(EDGE), rgb_text(BACK),
             rgb_text(PANEL_HI), rgb_text(ACCENT), status_bar_keys(status), image_keys(switch), image_keys(color),
             image_keys(plan), image_keys(ptz), image_keys(player), rgb_text(PANEL)))
    top = ["[MainButtons]"]
    for key, caption, r, _ in TOP_BUTTONS:
        top += ["%s=%s" % (key, caption), "%s_IsVisible=1" % key, "%s_Position=%d, %d, %d, %d" % ((key,) + r)]
    write(os.path.join(sol, "top_config.ini"), "\r\n".join(top) + "\r\n")
    write(os.path.join(sol, "device_config.ini"),
          "[MainSettings]\r\nBackColor=%s\r\n[DeviceDlgSettings]\r\n%s[MainButtons]\r\n%s"
          % (rgb_text(PANEL), image_keys(device),
             rect_keys((k, (4 + i * 40, 4, 40 + i * 40, 30)) for i, (k, _) in enumerate(DEVICE_BUTTONS))))
    write(os.path.join(sol, "color_config.ini"),
          "[MainSettings]\r\nNormalHeight=170\r\n[MainButtons]\r\n"
          + rect_keys(sorted(color_positions().items(), key=lambda kv: (kv[0] != "ColorShow", kv[0]))))
    write(os.path.join(sol, "Plan_config.ini"),
          "[MainSettings]\r\nNormalHeight=117\r\n[MainButtons]\r\nPlanShow_Position=0, 0, 168, 36\r\n")
    write(os.path.join(sol, "PTZ_config.ini"),
          "[MainSettings]\r\nNormalHeight=270\r\nAdvanceHeight=428\r\nLabelTextColor=%s\r\nLabelBackColor=%s\r\n"
          "[MainButtons]\r\n" % (rgb_text(TEXT), rgb_text(PTZ_LABEL_BACK))
          + rect_keys((k, (x, y, x + w, y + h)) for k, x, y, w, h in PTZ_BUTTONS))


if __name__ == "__main__":
    main()
