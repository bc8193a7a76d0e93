#!/usr/bin/env python3
"""Draws the UI toolkit's bitmap resources with the palette and BMP writer of
the default interface solution (client/shell/solution/make-solution.py).

    make-toolkit-bitmaps.py [--check] [<folder>]

Writes the pictures into <folder> (default: the bitmaps folder beside this
script, where ToolkitBitmaps.rc finds them). With --check nothing is
written: the exit code is 1 when a file there differs from what the script
draws."""
import importlib.util
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location(
    "solution", os.path.join(HERE, "..", "shell", "solution", "make-solution.py"))
sol = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(sol)

# The tree's image list takes black as its mask colour: every pixel left
# black is transparent, so the pictures use no pure black of their own.
CLEAR = (0, 0, 0)
OUTLINE = sol.EDGE
GREY_BODY = sol.mix(sol.DISABLED, sol.TEXT, 0.45)
GREY_LENS = sol.DISABLED


def inside_round_rect(x, y, l, t, r, b):
    """(l, t)-(r, b) inclusive, corners cut by one pixel."""
    if not (l <= x <= r and t <= y <= b):
        return False
    return not ((x in (l, r)) and (y in (t, b)))


def on_round_rect_edge(x, y, l, t, r, b):
    return inside_round_rect(x, y, l, t, r, b) and not inside_round_rect(x, y, l + 1, t + 1, r - 1, b - 1)


def disc(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def device(body, led, talk=False):
    """A recorder box seen from the front: body, drive slot and a lamp."""
    right = 13 if talk else 17

    def pixel(x, y):
        if talk:
            # Sound waves beside the box.
            for radius in (3, 5):
                d2 = (x - 12) ** 2 + (y - 10) ** 2
                if x >= 15 and (radius - 0.6) ** 2 <= d2 <= (radius + 0.6) ** 2:
                    return sol.ACCENT_HI
        if on_round_rect_edge(x, y, 2, 5, right, 14):
            return OUTLINE
        if inside_round_rect(x, y, 2, 5, right, 14):
            if y == 8 and 4 <= x <= right - 6:
                return OUTLINE   # drive slot
            if disc(x, y, right - 3, 11, 1.5):
                return led
            if y == 6:
                return sol.mix(body, sol.TEXT, 0.35)
            return body
        return CLEAR
    return pixel


def camera(body, lens, recording):
    """A box camera looking right; a red dot when it records."""
    def pixel(x, y):
        if recording and disc(x, y, 14.5, 14.5, 3.6):
            return OUTLINE if not disc(x, y, 14.5, 14.5, 2.6) else sol.RECORD
        if on_round_rect_edge(x, y, 1, 5, 12, 12):
            return OUTLINE
        if inside_round_rect(x, y, 1, 5, 12, 12):
            if disc(x, y, 5, 8.5, 1.6):
                return sol.mix(body, sol.TEXT, 0.6)
            return body
        # The lens hood widens to the right.
        if 13 <= x <= 18:
            half = 1 + (x - 13) * 0.6
            if abs(y - 8.5) <= half:
                edge = x == 18 or abs(y - 8.5) > half - 1
                return OUTLINE if edge else lens
        return CLEAR
    return pixel


# Resource id -> (file name, picture). The ids are the state codes the tree
# takes; the device panel gives them their meaning.
TREE_STATES = {
    513: ("tree_device_live.bmp", device(sol.PANEL_HI, sol.LIVE)),
    514: ("tree_device_off.bmp", device(GREY_BODY, OUTLINE)),
    515: ("tree_channel_shown.bmp", camera(sol.ACCENT, sol.ACCENT_LO, False)),
    516: ("tree_channel_idle.bmp", camera(GREY_BODY, GREY_LENS, False)),
    534: ("tree_device_talk.bmp", device(sol.ACCENT, sol.LIVE, talk=True)),
    544: ("tree_channel_shown_rec.bmp", camera(sol.ACCENT, sol.ACCENT_LO, True)),
    543: ("tree_channel_rec.bmp", camera(GREY_BODY, GREY_LENS, True)),
}


# The sliders' default pictures (ids 21600-21604 in ToolkitResource.h).
# Pixels left MAGENTA are transparent where the slider is told so.
MAGENTA = (255, 0, 255)


def groove(fill):
    """A channel 8 pixels high: a groove with a light lower edge."""
    def pixel(x, y):
        if y in (0, 7):
            return MAGENTA
        if y == 1:
            return sol.EDGE
        if y == 6:
            return sol.PANEL_HI
        return fill
    return pixel


def track(fill):
    """groove() on the colour panel's background instead of transparency."""
    inner = groove(fill)

    def pixel(x, y):
        return sol.PANEL if y in (0, 7) else inner(x, y)
    return pixel


def thumb(face):
    """A 10 x 16 thumb with rounded ends on a transparent field."""
    def pixel(x, y):
        if not inside_round_rect(x, y, 0, 0, 9, 15):
            return MAGENTA
        if on_round_rect_edge(x, y, 0, 0, 9, 15):
            return sol.EDGE
        return sol.mix(sol.TEXT, face, y / 15)
    return pixel


def value_strip(w, h):
    """Three frames side by side: normal, under the pointer, pressed."""
    faces = (sol.ACCENT_LO, sol.ACCENT, sol.ACCENT_HI)

    def pixel(x, y):
        fx = x % w
        if on_round_rect_edge(fx, y, 0, 0, w - 1, h - 1):
            return sol.EDGE
        return faces[x // w]
    return pixel


SLIDERS = [
    ("slider_channel.bmp", 200, 8, groove(sol.BACK)),
    ("slider_channel_active.bmp", 200, 8, groove(sol.ACCENT)),
    ("slider_thumb.bmp", 10, 16, thumb(sol.PANEL_HI)),
    ("slider_thumb_active.bmp", 10, 16, thumb(sol.ACCENT)),
    ("slider_value.bmp", 3 * 24, 16, value_strip(24, 16)),
    # The skin track bar draws its channel picture from the start up to the
    # thumb and its thumb picture beyond it, both stretched: the colour
    # panel's pair is a filled and an empty groove, 116 wide so that the
    # track bar (sized to its channel) ends inside the 168-pixel side
    # column, on the panel's own colour (the track bar draws opaque).
    ("track_filled.bmp", 116, 8, track(sol.ACCENT)),
    ("track_rest.bmp", 116, 8, track(sol.BACK)),
]


# The switch-mode panel's buttons: one strip per state (ids 21610-21613),
# 14 frames of 24 x 24 in the panel's button order: hard decode, full
# screen, the splits of 1, 4, 6, 8, 9, 13, 16, 20, 25 and 36 windows,
# record all, close all video.
SWITCH_SIZE = 24


def grid(n, big=None):
    """Cells of an n x n grid; big = (col, row, span) merges a square."""
    cells = []
    covered = set()
    if big:
        c, r, span = big
        cells.append((c, r, span, span))
        covered = {(c + i, r + j) for i in range(span) for j in range(span)}
    for r in range(n):
        for c in range(n):
            if (c, r) not in covered:
                cells.append((c, r, 1, 1))
    return n, n, cells


def rows_cols(cols, rows):
    return cols, rows, [(c, r, 1, 1) for r in range(rows) for c in range(cols)]


SPLITS = [grid(1), grid(2), grid(3, (0, 0, 2)), grid(4, (0, 0, 3)), grid(3), grid(4, (1, 1, 2)), grid(4),
          rows_cols(5, 4), grid(5), grid(6)]


def split_glyph(layout):
    cols, rows, cells = layout
    lo, hi = 4, 19

    def ink(x, y):
        for c, r, w, h in cells:
            x0 = lo + (hi - lo) * c // cols
            x1 = lo + (hi - lo) * (c + w) // cols
            y0 = lo + (hi - lo) * r // rows
            y1 = lo + (hi - lo) * (r + h) // rows
            if x0 <= x <= x1 and y0 <= y <= y1 and (x in (x0, x1) or y in (y0, y1)):
                return True
        return False
    return ink


def chip(x, y):
    body = 7 <= x <= 16 and 7 <= y <= 16
    pins = (x in (9, 12, 15) and (4 <= y <= 6 or 17 <= y <= 19)) or \
           (y in (9, 12, 15) and (4 <= x <= 6 or 17 <= x <= 19))
    return body and not (9 <= x <= 14 and 9 <= y <= 14) or pins


def corners(x, y):
    near = lambda v, a: a <= v <= a + 5
    edge = lambda v: v in (4, 5, 18, 19)
    return (edge(x) and (near(y, 4) or near(y, 14))) or (edge(y) and (near(x, 4) or near(x, 14)))


def record_dot(x, y):
    return disc(x, y, 11.5, 11.5, 6)


def cross(x, y):
    return 5 <= x <= 18 and (abs(x - y) <= 1 or abs(x + y - 23) <= 1)


SWITCH_GLYPHS = [chip, corners] + [split_glyph(l) for l in SPLITS] + [record_dot, cross]
SWITCH_STATES = [("switch_up.bmp", "up"), ("switch_over.bmp", "over"), ("switch_down.bmp", "down"),
                 ("switch_disable.bmp", "disable")]


def switch_strip(state):
    face = sol.STATES[state](SWITCH_SIZE, SWITCH_SIZE)
    ink_colour = sol.DISABLED if state == "disable" else sol.TEXT

    def pixel(x, y):
        i, fx = divmod(x, SWITCH_SIZE)
        glyph = SWITCH_GLYPHS[i]
        if glyph(fx, y):
            return sol.RECORD if glyph is record_dot and state != "disable" else ink_colour
        return face(fx, y)
    return pixel


def write_all(folder):
    os.makedirs(folder, exist_ok=True)
    for name, pixel in TREE_STATES.values():
        sol.bmp(os.path.join(folder, name), 20, 20, pixel)
    for name, w, h, pixel in SLIDERS:
        sol.bmp(os.path.join(folder, name), w, h, pixel)
    for name, state in SWITCH_STATES:
        sol.bmp(os.path.join(folder, name), SWITCH_SIZE * len(SWITCH_GLYPHS), SWITCH_SIZE, switch_strip(state))


def main():
    args = sys.argv[1:]
    check = "--check" in args
    args = [a for a in args if a != "--check"]
    folder = args[0] if args else os.path.join(HERE, "bitmaps")
    if not check:
        write_all(folder)
        return 0
    with tempfile.TemporaryDirectory() as tmp:
        write_all(tmp)
        stale = []
        for name in sorted(os.listdir(tmp)):
            with open(os.path.join(tmp, name), "rb") as a:
                fresh = a.read()
            try:
                with open(os.path.join(folder, name), "rb") as b:
                    kept = b.read()
            except OSError:
                kept = None
            if fresh != kept:
                stale.append(name)
        for name in stale:
            print("out of date: %s (run %s)" % (name, os.path.basename(__file__)))
        return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main())
