#!/usr/bin/env python3
"""Draws the program's icons into this folder as PNG files (RGBA).

    python3 resources/images/draw_icons.py

Every picture is made of a few shapes in unit coordinates (0..1 across the icon), drawn
at 4 x 4 samples per pixel and averaged, so the edges are smooth at every size. Needs
nothing but the Python standard library; the PNGs are committed, the build only embeds
them.
"""
import math
import os
import struct
import zlib

SAMPLES = 4
HERE = os.path.dirname(os.path.abspath(__file__))


def hex_colour(text, alpha=255):
    return (int(text[1:3], 16), int(text[3:5], 16), int(text[5:7], 16), alpha)


# Shapes: functions of (x, y) in unit coordinates that say whether the point is inside.
def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring_sector(cx, cy, r_in, r_out, start_deg, end_deg):
    """The ring between two radii, from start to end angle (degrees, counter-clockwise
    from the positive x axis, y pointing down as on screen)."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if d2 < r_in * r_in or d2 > r_out * r_out:
            return False
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        s, e = start_deg % 360, end_deg % 360
        return s <= a <= e if s <= e else (a >= s or a <= e)
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def segment(x1, y1, x2, y2, half_width):
    """A thick line with round ends."""
    def inside(x, y):
        dx, dy = x2 - x1, y2 - y1
        t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)))
        px, py = x1 + t * dx, y1 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width
    return inside


def rounded_rect(x1, y1, x2, y2, r):
    def inside(x, y):
        if x < x1 or x > x2 or y < y1 or y > y2:
            return False
        cx = min(max(x, x1 + r), x2 - r)
        cy = min(max(y, y1 + r), y2 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def render(size, layers):
    """layers: (shape, rgba) pairs, painted in order with source-over blending."""
    pixels = bytearray(size * size * 4)
    n = SAMPLES
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    r = g = b = a = 0.0
                    for shape, (cr, cg, cb, ca) in layers:
                        if shape(x, y):
                            sa = ca / 255.0
                            r = cr * sa + r * (1 - sa)
                            g = cg * sa + g * (1 - sa)
                            b = cb * sa + b * (1 - sa)
                            a = sa + a * (1 - sa)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            count = n * n
            alpha = acc[3] / count
            i = (py * size + px) * 4
            if alpha > 0:
                pixels[i] = round(acc[0] / count / alpha)
                pixels[i + 1] = round(acc[1] / count / alpha)
                pixels[i + 2] = round(acc[2] / count / alpha)
            pixels[i + 3] = round(alpha * 255)
    return pixels


def write_png(path, size, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    rows = b"".join(b"\x00" + bytes(pixels[y * size * 4:(y + 1) * size * 4]) for y in range(size))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(rows, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


WHITE = (255, 255, 255, 255)
OUTLINE = hex_colour("#202020", 90)


def round_badge(colour):
    """A disc with a faint darker rim."""
    return [(disc(0.5, 0.5, 0.47), OUTLINE), (disc(0.5, 0.5, 0.44), colour)]


def error_icon():
    return round_badge(hex_colour("#d0342c")) + [
        (segment(0.33, 0.33, 0.67, 0.67, 0.075), WHITE),
        (segment(0.67, 0.33, 0.33, 0.67, 0.075), WHITE),
    ]


def question_icon():
    return round_badge(hex_colour("#2f6fc8")) + [
        (ring_sector(0.5, 0.38, 0.09, 0.19, -60, 200), WHITE),
        (segment(0.59, 0.52, 0.5, 0.58, 0.05), WHITE),
        (segment(0.5, 0.58, 0.5, 0.63, 0.05), WHITE),
        (disc(0.5, 0.77, 0.065), WHITE),
    ]


def warning_icon():
    dark = hex_colour("#2a2a2a")
    outer = [(0.5, 0.04), (0.98, 0.92), (0.02, 0.92)]
    inner = [(0.5, 0.11), (0.92, 0.88), (0.08, 0.88)]
    return [
        (polygon(outer), OUTLINE),
        (polygon(inner), hex_colour("#f3b61f")),
        (segment(0.5, 0.38, 0.5, 0.62, 0.06), dark),
        (disc(0.5, 0.76, 0.06), dark),
    ]


def information_icon():
    return round_badge(hex_colour("#2f6fc8")) + [
        (disc(0.5, 0.28, 0.07), WHITE),
        (rounded_rect(0.43, 0.42, 0.57, 0.78, 0.04), WHITE),
    ]


def sync_arrows(colour, cx=0.5, cy=0.5, r_in=0.2, r_out=0.31):
    """Two arrows chasing each other round a circle: the two sides kept equal."""
    mid = (r_in + r_out) / 2
    head = (r_out - r_in) * 1.1

    def arrow_head(angle_deg, clockwise):
        a = math.radians(angle_deg)
        px, py = cx + mid * math.cos(a), cy - mid * math.sin(a)
        # Tangent along the direction of travel.
        tx, ty = (math.sin(a), math.cos(a)) if clockwise else (-math.sin(a), -math.cos(a))
        nx, ny = math.cos(a), -math.sin(a)
        tip = (px + tx * head * 1.2, py + ty * head * 1.2)
        return polygon([tip, (px + nx * head, py + ny * head), (px - nx * head, py - ny * head)])

    return [
        (ring_sector(cx, cy, r_in, r_out, 20, 160), colour),
        (arrow_head(20, True), colour),
        (ring_sector(cx, cy, r_in, r_out, 200, 340), colour),
        (arrow_head(200, True), colour),
    ]


def program_icon():
    return [
        (rounded_rect(0.04, 0.04, 0.96, 0.96, 0.2), OUTLINE),
        (rounded_rect(0.07, 0.07, 0.93, 0.93, 0.18), hex_colour("#1f8a7a")),
    ] + sync_arrows(WHITE)


def program_notice_icon():
    return round_badge(hex_colour("#1f8a7a")) + sync_arrows(WHITE, r_in=0.17, r_out=0.27)


ICONS = {
    "app": program_icon,
    "app-notice": program_notice_icon,
    "error": error_icon,
    "question": question_icon,
    "warning": warning_icon,
    "information": information_icon,
}


def main():
    for name, draw in ICONS.items():
        for size in (16, 32, 48):
            write_png(os.path.join(HERE, "%s-%d.png" % (name, size)), size, render(size, draw()))


if __name__ == "__main__":
    main()
