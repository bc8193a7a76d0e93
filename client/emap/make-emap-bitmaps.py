#!/usr/bin/env python3
"""Draws the electronic map's bitmaps and icons (with the palette and BMP
writer of the default interface solution) into the bitmaps folder beside
this script, where emap.rc finds them.

    make-emap-bitmaps.py [<folder>]"""
import importlib.util
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location(
    "solution", os.path.join(HERE, "..", "shell", "solution", "make-solution.py"))
sol = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(sol)

WHITE = (255, 255, 255)          # the icons' transparent colour
FACE = (212, 208, 200)           # tool bar button face
PROBE = (230, 150, 40)


def in_round_rect(x, y, l, t, r, b):
    if not (l <= x <= r and t <= y <= b):
        return False
    return not ((x in (l, r)) and (y in (t, b)))


def camera(body):
    """A 32 x 32 camera: a body with room for the channel number, a lens
    on its right, a stand below."""
    def px(x, y):
        if in_round_rect(x, y, 2, 7, 23, 24):
            edge = not in_round_rect(x, y, 3, 8, 22, 23)
            return sol.EDGE if edge else body
        if 24 <= x <= 29 and 10 <= y <= 21 and (x - 24) * 2 >= abs(y - 15) - 1:
            return sol.EDGE if x == 29 or y in (10, 21) else sol.mix(body, WHITE, 0.35)
        if 11 <= x <= 14 and 25 <= y <= 29:
            return sol.EDGE
        return WHITE
    return px


def probe(body):
    def px(x, y):
        d = (x - 15.5) ** 2 + (y - 15.5) ** 2
        if d <= 12.5 ** 2:
            return sol.EDGE if d >= 11.3 ** 2 else body
        return WHITE
    return px


def background(x, y):
    if x % 32 == 0 or y % 32 == 0:
        return sol.PANEL_HI
    return sol.PANEL


def glyph(kind, colour):
    """16 x 16 tool bar glyphs on the button face."""
    def px(x, y):
        if kind == "picture":
            return colour if 2 <= x <= 13 and 3 <= y <= 12 and (x in (2, 13) or y in (3, 12) or y > 8 - (x % 5)) else FACE
        if kind == "camera":
            return colour if in_round_rect(x, y, 1, 4, 11, 11) or (12 <= x <= 14 and 5 <= y <= 10) else FACE
        if kind == "probe":
            return colour if (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 30 else FACE
        if kind == "cross":
            return colour if 2 <= x <= 13 and (abs(x - y) <= 1 or abs(x + y - 15) <= 1) else FACE
        if kind == "gear":
            d = (x - 7.5) ** 2 + (y - 7.5) ** 2
            return colour if (9 <= d <= 36) or (d <= 49 and (x in (7, 8) or y in (7, 8))) else FACE
        if kind == "save":
            return colour if 2 <= x <= 13 and 2 <= y <= 13 and not (5 <= x <= 10 and 3 <= y <= 6) else FACE
        if kind == "close":
            return colour if (2 <= x <= 13 and 2 <= y <= 13) and (x in (2, 13) or y in (2, 13) or abs(x - y) <= 0 or abs(x + y - 15) <= 0) else FACE
        return FACE
    return px


TOOLS = [("picture", sol.ACCENT), ("cross", sol.RECORD), ("camera", sol.ACCENT), ("probe", PROBE),
         ("gear", sol.ACCENT), ("gear", PROBE), ("camera", sol.RECORD), ("probe", sol.RECORD),
         ("save", sol.LIVE), ("close", sol.EDGE)]


def toolbar(x, y):
    kind, colour = TOOLS[x // 16]
    return glyph(kind, colour)(x % 16, y)


def ico(path, size, pixel, transparent=WHITE):
    """One-image icon: 32-bit colour with an AND mask."""
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            c = pixel(x, y)
            a = 0 if c == transparent else 255
            xor += bytes((c[2], c[1], c[0], a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if pixel(x, y) == transparent:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + bytes(xor) + bytes(mask)
    head = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22)
    with open(path, "wb") as f:
        f.write(head + image)


def small(px32):
    return lambda x, y: px32(x * 2, y * 2)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "bitmaps")
    os.makedirs(out, exist_ok=True)
    sol.bmp(os.path.join(out, "camera.bmp"), 32, 32, camera(sol.ACCENT))
    sol.bmp(os.path.join(out, "camera_picked.bmp"), 32, 32, camera(sol.LIVE))
    sol.bmp(os.path.join(out, "camera_alarm.bmp"), 32, 32, camera(sol.RECORD))
    sol.bmp(os.path.join(out, "probe_picked.bmp"), 32, 32, probe(sol.LIVE))
    sol.bmp(os.path.join(out, "probe.bmp"), 32, 32, probe(PROBE))
    sol.bmp(os.path.join(out, "map_background.bmp"), 96, 64, background)
    sol.bmp(os.path.join(out, "emap_toolbar.bmp"), 16 * len(TOOLS), 16, toolbar)
    ico(os.path.join(out, "emap.ico"), 32, probe(sol.ACCENT))
    ico(os.path.join(out, "map_device.ico"), 16, small(probe(sol.LIVE)))
    ico(os.path.join(out, "map_channel.ico"), 16, small(camera(sol.ACCENT)))


if __name__ == "__main__":
    main()
