#!/usr/bin/env python3
"""Writes the dialogs' two bitmaps, 16-colour BMP files, into driver/ui/.

  curve_background.bmp  63 x 52, every pixel black: the curve control's background
  logo.bmp              85 x 80: the About box logo, drawn here from circles and lines

The output is committed; run this again only to change a picture.
"""
import math
import os
import struct

# The standard 16-colour Windows palette, in its usual order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, RED, BLUE, WHITE = 0, 4, 7, 8, 9, 12, 15


def bmp_4bit(width, height, pixels):
    """A bottom-up BITMAPINFOHEADER file with 4 bits per pixel; pixels[y][x] top row first."""
    row_bytes = ((width * 4 + 31) // 32) * 4
    rows = []
    for y in reversed(range(height)):
        row = bytearray(row_bytes)
        for x in range(width):
            v = pixels[y][x] & 0x0F
            row[x // 2] |= v << 4 if x % 2 == 0 else v
        rows.append(bytes(row))
    image = b"".join(rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(image), 2835, 2835, 16, 16)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + palette + image


def curve_background():
    return bmp_4bit(63, 52, [[BLACK] * 63 for _ in range(52)])


def logo():
    w, h = 85, 80
    px = [[WHITE] * w for _ in range(h)]

    def put(x, y, c):
        if 0 <= x < w and 0 <= y < h:
            px[y][x] = c

    # A ring, the initial of the maker's name.
    cx, cy = 42, 31
    for y in range(h):
        for x in range(w):
            d = math.hypot(x - cx, y - cy)
            if 17.5 <= d <= 27.0:
                px[y][x] = NAVY
            elif 16.5 <= d < 17.5 or 27.0 < d <= 28.0:
                px[y][x] = BLUE
    # A sheet leaving the printer under the ring, with a plotted curve on it.
    for y in range(62, 78):
        for x in range(12, 73):
            edge = y in (62, 77) or x in (12, 72)
            px[y][x] = GREY if edge else SILVER
    for x in range(15, 70):
        y = round(69.5 - 4.5 * math.sin((x - 15) / 54 * 2 * math.pi))
        put(x, y, RED)
        put(x, y + 1, RED)
    # The pen that drew it, crossing the ring's opening.
    for t in range(0, 22):
        put(58 + t // 2, 42 + t, BLACK)
        put(59 + t // 2, 42 + t, BLACK)
    return bmp_4bit(w, h, px)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "driver", "ui")
    for name, data in (("curve_background.bmp", curve_background()), ("logo.bmp", logo())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
