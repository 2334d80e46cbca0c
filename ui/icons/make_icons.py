#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files (standard library only).

RVXTOOL.ico  the window icon: 32x32 at 8 bits per pixel, and at 32 bits per pixel the sizes the
             title bar and the taskbar ask for at 100 to 200 % scaling (16, 20, 24, 40, 48, 64)
about.ico    the About box icon: 16, 24, 32 and 48 pixels, each at 8 and 32 bits per pixel
STATION.ico  the raw file type's icon: 16, 32 and 48 pixels, each at 8 and 32 bits per pixel
"""
import math
import os
import struct

SUPERSAMPLE = 4

BLUE = (30, 90, 168)
ORANGE = (240, 140, 30)
WHITE = (250, 250, 250)
GREEN = (40, 130, 70)
RED = (210, 40, 40)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_segment(x, y, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy) <= half_width


def tripod(x, y):
    """The program's picture: an antenna on a tripod over a blue tile."""
    if (x - 0.5) ** 2 / 0.30 ** 2 + (y - 0.27) ** 2 / 0.10 ** 2 <= 1:
        return ORANGE
    if 0.45 <= x <= 0.55 and 0.27 <= y <= 0.50:
        return WHITE
    for foot in (0.17, 0.5, 0.83):
        if near_segment(x, y, 0.5, 0.48, foot, 0.88, 0.045):
            return WHITE
    if rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.18):
        return BLUE
    return None


def station(x, y):
    """The raw file's picture: a survey marker on a green tile."""
    if math.hypot(x - 0.5, y - 0.52) <= 0.10:
        return RED
    # Triangle with its apex at the top.
    if 0.15 <= y <= 0.82:
        half = (y - 0.15) / 0.67 * 0.36
        if abs(x - 0.5) <= half:
            return WHITE
    if rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.18):
        return GREEN
    return None


def render(shape, size):
    """RGBA rows, top row first."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    c = shape((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c is not None:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            if a:
                row.append((r // a, g // a, b // a, 255 * a // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def palette():
    """A 6x6x6 colour cube and 40 greys."""
    colours = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    colours += [(round(i * 255 / 39),) * 3 for i in range(40)]
    return colours


PALETTE = palette()


def nearest(colour):
    return min(range(len(PALETTE)),
               key=lambda i: sum((p - c) ** 2 for p, c in zip(PALETTE[i], colour)))


def and_mask(rows, size, bpp):
    """Transparent pixels: of an 8-bit image those less than half covered (drawn black, index 0,
    which the mask's XOR leaves as it is); of a 32-bit image only the empty ones, so that a
    renderer that draws it through the mask instead of by its alpha, as Wine does in places,
    shows the edge pixels' colours rather than XORing them into the background."""
    threshold = 128 if bpp == 8 else 1
    stride = ((size + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < threshold:
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    return bytes(data)


def dib(rows, size, bpp):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0, 0, 0, 0,
                         256 if bpp == 8 else 0, 0)
    pixels = bytearray()
    if bpp == 32:
        for row in reversed(rows):
            for r, g, b, a in row:
                pixels += bytes((b, g, r, a))
        table = b''
    else:
        stride = (size + 3) // 4 * 4
        cache = {}
        for row in reversed(rows):
            line = bytearray(stride)
            for x, (r, g, b, a) in enumerate(row):
                if a >= 128:
                    key = (r, g, b)
                    if key not in cache:
                        cache[key] = nearest(key)
                    line[x] = cache[key]
            pixels += line
        table = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    return header + table + bytes(pixels) + and_mask(rows, size, bpp)


def write_ico(path, shape, images):
    blobs = [(size, bpp, dib(render(shape, size), size, bpp)) for size, bpp in images]
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, bpp, blob in blobs:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    out += b''.join(blob for _, _, blob in blobs)
    with open(path, 'wb') as f:
        f.write(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    both = [(s, bpp) for s in (16, 24, 32, 48) for bpp in (8, 32)]
    write_ico(os.path.join(here, 'RVXTOOL.ico'), tripod,
              [(32, 8)] + [(s, 32) for s in (16, 20, 24, 40, 48, 64)])
    write_ico(os.path.join(here, 'about.ico'), tripod, both)
    write_ico(os.path.join(here, 'STATION.ico'), station,
              [(s, bpp) for s in (16, 32, 48) for bpp in (8, 32)])


if __name__ == '__main__':
    main()
