#!/usr/bin/env python3
"""Draws the playback window's bitmap resources (the panel's six layout
buttons in four states, the position slider's channel and thumb) with the
palette and BMP writer of the default interface solution.

    make-record-bitmaps.py [<folder>]

Writes into <folder> (default: the bitmaps folder beside this script, where
record.rc finds them)."""
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location(
    "solution", os.path.join(HERE, "..", "shell", "solution", "make-solution.py"))
sol = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(sol)

SIZE = 24


def cells(columns, rows, spans=()):
    """True on the grid lines of a small window picture in 16 x 14 pixels at
    (4, 5); spans lists (column, row, width, height) cells merged into one."""
    def inside(x, y):
        gx, gy = x - 4, y - 5
        if not (0 <= gx <= 15 and 0 <= gy <= 13):
            return False
        if gx in (0, 15) or gy in (0, 13):
            return True
        cw, ch = 15 / columns, 13 / rows
        for c in range(1, columns):
            if gx == round(c * cw):
                return not any(sc < c < sc + w and sr * ch <= gy <= (sr + h) * ch for sc, sr, w, h in spans)
        for r in range(1, rows):
            if gy == round(r * ch):
                return not any(sr < r < sr + h and sc * cw <= gx <= (sc + w) * cw for sc, sr, w, h in spans)
        return False
    return inside


def full_screen(x, y):
    corner = [(4, 5), (19, 5), (4, 18), (19, 18)]
    for cx, cy in corner:
        dx, dy = x - cx, y - cy
        if (abs(dx) <= 4 and dy == 0 or dx == 0 and abs(dy) <= 4) and \
           (x - 12) * (cx - 12) >= 0 and (y - 11.5) * (cy - 11.5) >= 0:
            return True
    return False


def close_all(x, y):
    return 5 <= x <= 18 and (abs((x - 5) - (y - 5)) <= 1 or abs((x - 5) - (18 - y)) <= 1) and 5 <= y <= 18


GLYPHS = {
    "full": full_screen,
    "one": cells(1, 1),
    "four": cells(2, 2),
    "six": cells(3, 3, [(0, 0, 2, 2)]),
    "nine": cells(3, 3),
    "close": close_all,
}

# Resource id per button and state: normal, hover, pressed, disabled.
BUTTONS = [
    ("full", (411, 422, 399, 387)),
    ("one", (412, 423, 400, 388)),
    ("four", (413, 424, 401, 389)),
    ("six", (414, 425, 402, 390)),
    ("nine", (416, 427, 404, 392)),
    ("close", (533, 531, 530, 532)),
]
STATES = ("up", "over", "down", "disable")
INK = {"up": sol.TEXT, "over": sol.TEXT, "down": sol.ACCENT_HI, "disable": sol.mix(sol.DISABLED, sol.TEXT, 0.3)}

SLIDER_W, SLIDER_H, THUMB_W = 1600, 15, 11


def button(glyph, state):
    face = sol.STATES[state](SIZE, SIZE)

    def pixel(x, y):
        return INK[state] if glyph(x, y) else face(x, y)
    return pixel


def channel(color):
    def pixel(x, y):
        if 5 <= y <= 9:
            return sol.EDGE if y in (5, 9) else color
        return sol.BACK
    return pixel


def thumb(color):
    def pixel(x, y):
        if x in (0, THUMB_W - 1) or y in (0, SLIDER_H - 1):
            return sol.EDGE
        return color
    return pixel


def write_all(folder):
    os.makedirs(folder, exist_ok=True)
    for name, ids in BUTTONS:
        for state, _ in zip(STATES, ids):
            sol.bmp(os.path.join(folder, "panel_%s_%s.bmp" % (name, state)), SIZE, SIZE,
                    button(GLYPHS[name], state))
    sol.bmp(os.path.join(folder, "slider_channel.bmp"), SLIDER_W, SLIDER_H, channel(sol.PANEL_HI))
    sol.bmp(os.path.join(folder, "slider_channel_active.bmp"), SLIDER_W, SLIDER_H, channel(sol.ACCENT))
    sol.bmp(os.path.join(folder, "slider_thumb.bmp"), THUMB_W, SLIDER_H, thumb(sol.TEXT))
    sol.bmp(os.path.join(folder, "slider_thumb_active.bmp"), THUMB_W, SLIDER_H, thumb(sol.ACCENT_HI))


if __name__ == "__main__":
    write_all(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "bitmaps"))
