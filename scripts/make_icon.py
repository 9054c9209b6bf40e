#!/usr/bin/env python3
"""Writes the program's icon: the picker's crosshair icon as the capture board draws it.

Usage: make_icon.py OUT.ico

The 32 x 32 image is drawn pixel for pixel like the capture board (src/delivery/
target_picker.cpp): a circle filled with the board's pale green, the crosshair lines and
the four brackets in the picker's blue; outside the circle only the crosshair shows.
The other sizes (16 to 64 pixels: the title bar's and the task switcher's at 100 to
200 % display scale) are scaled from it. Python standard library only; the
output depends on nothing but this file, so that builds are reproducible.
"""
import struct
import sys

BLUE = (0, 136, 255, 255)
FILL = (240, 255, 240, 255)
CLEAR = (0, 0, 0, 0)
CENTRE = 14
# Lines from the first point up to, not including, the second (as GDI draws them).
LINES = [
    (0, 14, 31, 14), (14, 0, 14, 31),                       # crosshair across the board
    (9, 12, 9, 17), (11, 13, 11, 16), (13, 13, 13, 16),     # left bracket
    (19, 12, 19, 17), (17, 13, 17, 16), (15, 13, 15, 16),   # right bracket
    (12, 9, 17, 9), (13, 11, 16, 11), (13, 13, 16, 13),     # upper bracket
    (12, 19, 17, 19), (13, 17, 16, 17), (13, 15, 16, 15),   # lower bracket
]


def draw32():
    px = [[CLEAR] * 32 for _ in range(32)]
    # The circle of the ellipse (4, 4)-(25, 25): centre 14, radius 10.5, a one-pixel rim.
    for y in range(32):
        for x in range(32):
            d2 = (x - CENTRE) ** 2 + (y - CENTRE) ** 2
            if d2 <= 9.5 ** 2:
                px[y][x] = FILL
            elif d2 <= 10.5 ** 2:
                px[y][x] = BLUE
    for x1, y1, x2, y2 in LINES:
        if y1 == y2:
            for x in range(x1, x2):
                px[y1][x] = BLUE
        else:
            for y in range(y1, y2):
                px[y][x1] = BLUE
    px[CENTRE][CENTRE] = FILL
    return px


def scale(px, up, down):
    """Enlarges by `up` (pixel copies), then shrinks by `down` (box average)."""
    big = [[p for p in row for _ in range(up)] for row in px for _ in range(up)]
    n = len(big) // down
    out = []
    for y in range(n):
        row = []
        for x in range(n):
            box = [big[y * down + j][x * down + i] for j in range(down) for i in range(down)]
            a = sum(p[3] for p in box)
            if a == 0:
                row.append(CLEAR)
                continue
            # Colours weighted by their alpha, so that clear pixels do not darken the rim.
            rgb = [round(sum(p[c] * p[3] for p in box) / a) for c in range(3)]
            row.append((*rgb, round(a / len(box))))
        out.append(row)
    return out


def dib(px):
    """A 32-bit icon image: header, BGRA rows bottom-up, then the AND mask."""
    n = len(px)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(px) for p in row)
    stride = (n + 31) // 32 * 4
    mask = b""
    for row in reversed(px):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def main():
    base = draw32()
    # 16, 20, 24, 32, 40, 48, 64
    images = [scale(base, 1, 2), scale(base, 5, 8), scale(base, 3, 4), base, scale(base, 5, 4), scale(base, 3, 2),
              scale(base, 2, 1)]
    blobs = [dib(px) for px in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for px, blob in zip(images, blobs):
        n = len(px)
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    out += b"".join(blobs)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
