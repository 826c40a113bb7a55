#!/usr/bin/env python3
"""Writes the console's two image-list bitmaps (checked in; rerun to redraw).

The expert rule editor builds image lists of 4 x 30 images from them: one
image each, a short coloured mark on the colour its list masks out (black
for the category list, white for the item list), so the rows get their
height and a small accent.
"""
import struct
import sys
from pathlib import Path

WIDTH, HEIGHT = 4, 30


def bitmap(background, mark):
    rows = []
    for y in range(HEIGHT):  # bottom-up, as BMP stores them
        row = b""
        for x in range(WIDTH):
            in_mark = 1 <= x <= 2 and 9 <= y <= 20
            r, g, b = mark if in_mark else background
            row += bytes((b, g, r))
        row += b"\0" * ((4 - len(row) % 4) % 4)
        rows.append(row)
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + pixels


def main():
    here = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    (here / "category.bmp").write_bytes(bitmap((0, 0, 0), (0x2F, 0x6F, 0xC0)))
    (here / "item.bmp").write_bytes(bitmap((0xFF, 0xFF, 0xFF), (0x3C, 0x9A, 0x5A)))


if __name__ == "__main__":
    main()
