#!/usr/bin/env python3
"""Draws the settings dialog's tree pictures: 16 cells of 16 x 16 pixels in
one 24-bit BMP, magenta (0xFF00FF) where the cell is transparent.
Cells: 0 list, 1 folder, 2 stream, 5 region, 9 network, 15 device; the
others are plain marks."""
import struct, sys

W, H, N = 16, 16, 16
MAGENTA = (255, 0, 255)
COLOURS = {0: (40, 90, 160), 1: (210, 170, 60), 2: (60, 150, 80), 5: (180, 60, 60),
           9: (60, 120, 200), 15: (110, 110, 110)}

def cell_pixel(cell, x, y):
    c = COLOURS.get(cell, (150, 150, 150))
    if cell == 1:  # folder: a tab and a body
        if (2 <= y <= 3 and 1 <= x <= 6) or (4 <= y <= 13 and 1 <= x <= 14):
            return c
        return MAGENTA
    if 2 <= x <= 13 and 2 <= y <= 13:
        edge = x in (2, 13) or y in (2, 13)
        return (c[0] // 2, c[1] // 2, c[2] // 2) if edge else c
    return MAGENTA

def main(path):
    row_size = (W * N * 3 + 3) & ~3
    rows = []
    for y in range(H - 1, -1, -1):
        row = bytearray()
        for cell in range(N):
            for x in range(W):
                r, g, b = cell_pixel(cell, x, y)
                row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    bits = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(bits), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W * N, H, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + bits)

if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "bitmaps/settings_tree.bmp")
