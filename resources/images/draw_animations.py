#!/usr/bin/env python3
"""Draws the progress dialogs' animations into this folder as PNG frame strips (RGBA).

    python3 resources/images/draw_animations.py

Each strip holds its frames side by side, each frame square; resources/images.txt
names the frame width and the rate. The shapes and the renderer are those of draw_icons.py.
"""
import math
import os
import struct
import zlib

from draw_icons import HERE, OUTLINE, disc, hex_colour, render, rounded_rect, segment

FRAME = 48
FRAMES = 8

FOLDER = hex_colour("#e0b040")
FOLDER_TAB = hex_colour("#c89428")
LENS_RIM = hex_colour("#404850")
LENS_GLASS = hex_colour("#bfe0ff", 170)
DATABASE = hex_colour("#4a7cc0")
DATABASE_TOP = hex_colour("#79a6e0")
BAND = hex_colour("#f4f4f4", 230)


def scan_frame(i):
    """A folder searched by a magnifier that circles over it."""
    angle = 2 * math.pi * i / FRAMES
    cx = 0.5 + 0.16 * math.cos(angle)
    cy = 0.52 + 0.12 * math.sin(angle)
    return [
        (rounded_rect(0.12, 0.26, 0.45, 0.36, 0.04), FOLDER_TAB),
        (rounded_rect(0.12, 0.32, 0.88, 0.82, 0.05), FOLDER),
        (segment(cx + 0.1, cy + 0.1, cx + 0.24, cy + 0.24, 0.045), LENS_RIM),
        (disc(cx, cy, 0.17), LENS_RIM),
        (disc(cx, cy, 0.13), LENS_GLASS),
    ]


def cylinder_inside(x1, x2, top, bottom, ry):
    cx = (x1 + x2) / 2
    rx = (x2 - x1) / 2

    def inside(x, y):
        if not x1 <= x <= x2:
            return False
        dy = ry * math.sqrt(max(0.0, 1 - ((x - cx) / rx) ** 2))
        return top - dy <= y <= bottom + dy
    return inside


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def clean_frame(i):
    """The profile database wiped by a light band running from top to bottom."""
    band = 0.2 + 0.6 * i / (FRAMES - 1)
    body = cylinder_inside(0.2, 0.8, 0.24, 0.76, 0.08)
    return [
        (body, DATABASE),
        (ellipse(0.5, 0.24, 0.3, 0.08), DATABASE_TOP),
        (lambda x, y: body(x, y) and abs(y - band) <= 0.05, BAND),
        (ellipse(0.5, 0.24, 0.3, 0.08), OUTLINE),
        (ellipse(0.5, 0.24, 0.28, 0.065), DATABASE_TOP),
    ]


def write_strip(path, frames):
    width = FRAME * len(frames)
    rows = []
    for y in range(FRAME):
        row = b"".join(bytes(f[y * FRAME * 4:(y + 1) * FRAME * 4]) for f in frames)
        rows.append(b"\x00" + row)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, FRAME, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    write_strip(os.path.join(HERE, "scan-animation.png"), [render(FRAME, scan_frame(i)) for i in range(FRAMES)])
    write_strip(os.path.join(HERE, "clean-animation.png"), [render(FRAME, clean_frame(i)) for i in range(FRAMES)])


if __name__ == "__main__":
    main()
