#!/usr/bin/env python3
"""Draws the engine's icon, tenu.ico: one 32x32 image in 16 colours.

A black and a white disc, overlapping, on a green board square with a dark
frame. The picture is drawn with hard edges in the standard 16-colour
palette, so the icon looks the same at every colour depth.

Usage: make_icon.py [OUTPUT]   (default: tenu.ico beside this script)
"""
import math
import os
import struct
import sys

SIZE = 32

# The standard 16-colour palette as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, SILVER, GREY, WHITE = 0, 2, 7, 8, 15
DARK_GREEN = 6  # teal reads as a darker board colour next to green


def coverage(x, y, cx, cy, r):
    """Share of pixel (x, y) inside the circle, from 4x4 samples."""
    inside = 0
    for sy in range(4):
        for sx in range(4):
            px = x + (sx + 0.5) / 4
            py = y + (sy + 0.5) / 4
            if (px - cx) ** 2 + (py - cy) ** 2 <= r * r:
                inside += 1
    return inside / 16


def draw():
    pixels = [[GREEN] * SIZE for _ in range(SIZE)]
    # The board lines through the middle, then the frame over their ends.
    for k in range(SIZE):
        pixels[16][k] = DARK_GREEN
        pixels[k][16] = DARK_GREEN
    for k in range(SIZE):
        for a, b in ((k, 0), (k, SIZE - 1), (0, k), (SIZE - 1, k)):
            pixels[b][a] = BLACK

    def disc(cx, cy, r, body, rim, light):
        for y in range(SIZE):
            for x in range(SIZE):
                if coverage(x, y, cx, cy, r) < 0.5:
                    continue
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                colour = rim if d > r - 1.2 else body
                # A small highlight towards the upper left.
                if math.hypot(x + 0.5 - (cx - r * 0.4), y + 0.5 - (cy - r * 0.4)) < r * 0.22:
                    colour = light
                pixels[y][x] = colour

    disc(12.0, 12.0, 9.0, BLACK, GREY, GREY)
    disc(20.5, 20.5, 9.0, WHITE, GREY, WHITE)
    return pixels


def ico_bytes(pixels):
    xor_rows = []
    for y in reversed(range(SIZE)):  # bottom-up
        row = bytearray()
        for x in range(0, SIZE, 2):
            row.append(pixels[y][x] << 4 | pixels[y][x + 1])
        xor_rows.append(bytes(row))
    xor = b"".join(xor_rows)
    mask = bytes(SIZE * 4)  # every pixel opaque; 32 bits per row is already aligned
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "tenu.ico")
    with open(out, "wb") as f:
        f.write(ico_bytes(draw()))


if __name__ == "__main__":
    main()
