#!/usr/bin/env python3
"""Writes the product programs' icons: for each program up to four .ico files
(<program>-0.ico to <program>-3.ico), each with a 32x32 and a 16x16 image in 256 colours, which every
Windows from 95 and NT 4.0 on can show. Shortcuts and file associations pick them by
index, so each index has its own shape: 0 square, 1 disc, 2 diamond, 3 triangle.
The files depend on nothing but this script (the build must be reproducible).
Usage: make_icons.py <output folder>
"""
import os
import struct
import sys

# Program: its colour (R, G, B), in which the shapes are drawn on a transparent
# background, and how many icons it has.
PROGRAMS = {
    "quarnelix": ((0x1F, 0x5F, 0xBF), 4),
    "netprefs": ((0x2E, 0x8B, 0x3A), 4),
    "srvprefs": ((0xD0, 0x70, 0x10), 4),
    "qxagent": ((0x60, 0x60, 0x70), 1),
}


def inside(shape, x, y, size):
    """Whether pixel (x, y), top-left origin, belongs to the shape."""
    c = (size - 1) / 2.0
    m = size / 16.0  # margin unit
    if shape == 0:
        return m <= x < size - m and m <= y < size - m
    if shape == 1:
        r = size / 2.0 - m
        return (x - c) ** 2 + (y - c) ** 2 <= r * r
    if shape == 2:
        return abs(x - c) + abs(y - c) <= size / 2.0 - m
    # triangle pointing up
    top, bottom = m, size - m
    if not top <= y < bottom:
        return False
    half = (y - top) / (bottom - top) * (size / 2.0 - m)
    return abs(x - c) <= half + 0.5


def edge(shape, x, y, size):
    """A one-pixel dark outline makes the shape readable on any background."""
    if not inside(shape, x, y, size):
        return False
    return any(
        not (0 <= x + dx < size and 0 <= y + dy < size) or not inside(shape, x + dx, y + dy, size)
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))


def image(colour, shape, size):
    """BITMAPINFOHEADER, palette, XOR bitmap (8 bpp) and AND mask, as an icon image."""
    palette = [(0, 0, 0), colour, tuple(v // 2 for v in colour), (255, 255, 255)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    xor_rows, and_rows = [], []
    and_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):  # bottom-up
        row = bytearray()
        mask = bytearray(and_stride)
        for x in range(size):
            if edge(shape, x, y, size):
                row.append(2)
            elif inside(shape, x, y, size):
                # a light highlight in the upper left quarter
                row.append(3 if (x < size // 3 and y < size // 3 and shape == 0) else 1)
            else:
                row.append(0)
                mask[x // 8] |= 0x80 >> (x % 8)
        xor_rows.append(bytes(row))
        and_rows.append(bytes(mask))
    xor = b"".join(xor_rows)
    and_mask = b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + pal + xor + and_mask


def icon(colour, shape):
    images = [image(colour, shape, size) for size in (32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icons.py <output folder>")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, (colour, count) in PROGRAMS.items():
        for shape in range(count):
            path = os.path.join(folder, "%s-%d.ico" % (name, shape))
            with open(path, "wb") as f:
                f.write(icon(colour, shape))


if __name__ == "__main__":
    main()
