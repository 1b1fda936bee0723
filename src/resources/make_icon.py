#!/usr/bin/env python3
"""Draws the program icon, rolvex.ico: a dark blue tile (the progress bar's
colour) with a white arrow pointing down into a tray, at 16, 20, 24, 32, 48
and 256 pixels, 32 bits with alpha (the 256-pixel image as PNG, as Windows
keeps its large icons). Run it again after changing the drawing:

    python3 src/resources/make_icon.py src/resources/rolvex.ico
"""
import struct
import sys
import zlib

BLUE = (0, 0, 192)
EDGE = (0, 0, 110)
WHITE = (255, 255, 255)


def pixel(x, y, n):
    """Colour and alpha of pixel (x, y) of an n x n icon, y from the top."""
    u = (x + 0.5) / n  # 0..1 across
    v = (y + 0.5) / n
    r = 0.16  # corner radius of the tile
    dx = max(r - u, 0, u - (1 - r))
    dy = max(r - v, 0, v - (1 - r))
    if dx * dx + dy * dy > r * r:
        return (0, 0, 0), 0
    border = 1.5 / n
    inside = (min(u, v, 1 - u, 1 - v) > border and
              (dx * dx + dy * dy) < (r - border) ** 2 or
              (dx == 0 or dy == 0) and min(u, v, 1 - u, 1 - v) > border)
    colour = BLUE if inside else EDGE
    # The arrow: a shaft and a head, centred.
    if 0.43 <= u <= 0.57 and 0.16 <= v <= 0.50:
        colour = WHITE
    if 0.46 <= v <= 0.70 and abs(u - 0.5) <= (0.70 - v) * 1.05:
        colour = WHITE
    # The tray: a U below the arrow.
    if 0.76 <= v <= 0.84 and 0.22 <= u <= 0.78:
        colour = WHITE
    if 0.62 <= v <= 0.84 and (0.22 <= u <= 0.30 or 0.70 <= u <= 0.78):
        colour = WHITE
    return colour, 255


def image(n):
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in reversed(range(n)):  # rows bottom-up
        for x in range(n):
            (r, g, b), a = pixel(x, y, n)
            xor += bytes((b, g, r, a))
    row = ((n + 31) // 32) * 4
    and_mask = bytearray()
    for y in reversed(range(n)):
        bits = bytearray(row)
        for x in range(n):
            if pixel(x, y, n)[1] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += bits
    return header + bytes(xor) + bytes(and_mask)


def png(n):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(
            ">I", zlib.crc32(body) & 0xFFFFFFFF)
    rows = bytearray()
    for y in range(n):
        rows.append(0)  # no filter
        for x in range(n):
            (r, g, b), a = pixel(x, y, n)
            rows += bytes((r, g, b, a))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) +
            chunk(b"IEND", b""))


def main(path):
    sizes = (16, 20, 24, 32, 48, 256)
    images = [png(n) if n >= 256 else image(n) for n in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        side = n % 256  # 0 stands for 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data),
                           offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "rolvex.ico")
