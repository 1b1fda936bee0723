#!/usr/bin/env python3
"""Paints the installer's background picture, assets/HinterGrund.bmp.

The picture is 800 x 600 pixels, 8 bits per pixel with a 256-colour palette,
stored run-length encoded (BI_RLE8), as the window's image control expects it.
It is drawn to stay calm behind the controls: a light sky where the three text
lines sit on the left, a few soft wave bands towards the bottom, a thin accent
line above the text lines and a small ring mark in the top left corner. Flat
areas and whole-row gradients keep the run-length encoding small.

Usage: make_background.py [output.bmp]   (default: assets/HinterGrund.bmp
beside this script's folder). Standard library only; the output is the same
on every run.
"""

import math
import os
import struct
import sys

WIDTH, HEIGHT = 800, 600
SUPERSAMPLE = 4  # per axis, only where a pixel lies on a shape's edge


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def sky(y):
    return lerp((232, 237, 244), (198, 210, 226), y / (HEIGHT - 1))


# Wave bands from the back to the front: boundary y(x), top and bottom colour.
BANDS = [
    (lambda x: 392 + 16 * math.sin(x / 800 * 2 * math.pi * 1.1 + 0.6),
     (172, 190, 214), (142, 166, 198)),
    (lambda x: 448 + 22 * math.sin(x / 800 * 2 * math.pi * 0.8 + 2.1),
     (110, 138, 180), (84, 112, 158)),
    (lambda x: 515 + 14 * math.sin(x / 800 * 2 * math.pi * 1.4 + 4.0),
     (52, 76, 124), (36, 56, 100)),
]

ACCENT = (0, 0, 192)  # the progress bar's blue
RING_CENTRE, RING_OUTER, RING_INNER = (58.0, 50.0), 26.0, 17.0
DOT_CENTRE, DOT_RADIUS = (82.0, 30.0), 8.0
DOT = (232, 120, 32)
LINE_Y0, LINE_Y1, LINE_X0, LINE_X1 = 80.0, 82.0, 100.0, 560.0
LINE = (150, 170, 205)


def base_colour(x, y):
    """Colour of the sky and the wave bands at point (x, y)."""
    colour = sky(y)
    for boundary, top, bottom in BANDS:
        b = boundary(x)
        if y >= b:
            colour = lerp(top, bottom, min(1.0, (y - b) / (HEIGHT - b)))
    return colour


def shape_colour(x, y, under):
    """The marks drawn over the base at point (x, y)."""
    d = math.hypot(x - RING_CENTRE[0], y - RING_CENTRE[1])
    if RING_INNER <= d <= RING_OUTER:
        return ACCENT
    if math.hypot(x - DOT_CENTRE[0], y - DOT_CENTRE[1]) <= DOT_RADIUS:
        return DOT
    if LINE_X0 <= x <= LINE_X1 and LINE_Y0 <= y <= LINE_Y1:
        return LINE
    return under


def colour_at(x, y):
    return shape_colour(x, y, base_colour(x, y))


def near_edge(px, py):
    """Whether pixel (px, py) may hold an edge and needs supersampling."""
    cx, cy = px + 0.5, py + 0.5
    d = math.hypot(cx - RING_CENTRE[0], cy - RING_CENTRE[1])
    if min(abs(d - RING_OUTER), abs(d - RING_INNER)) < 1.5:
        return True
    if abs(math.hypot(cx - DOT_CENTRE[0], cy - DOT_CENTRE[1]) - DOT_RADIUS) < 1.5:
        return True
    for boundary, _, _ in BANDS:
        if abs(cy - boundary(cx)) < 2.0:
            return True
    return False


def render():
    pixels = []
    for py in range(HEIGHT):
        row = []
        for px in range(WIDTH):
            if near_edge(px, py):
                acc = [0, 0, 0]
                n = SUPERSAMPLE
                for sy in range(n):
                    for sx in range(n):
                        c = colour_at(px + (sx + 0.5) / n, py + (sy + 0.5) / n)
                        acc = [a + v for a, v in zip(acc, c)]
                row.append(tuple(int(round(a / (n * n))) for a in acc))
            else:
                row.append(colour_at(px + 0.5, py + 0.5))
        pixels.append(row)
    return pixels


def median_cut(counts, size):
    """A palette of at most `size` colours for the weighted colours."""
    boxes = [list(counts.items())]
    while len(boxes) < size:
        # Split the box with the widest channel range that can be split.
        best, best_range, best_channel = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                values = [c[ch] for c, _ in box]
                r = max(values) - min(values)
                if r > best_range:
                    best, best_range, best_channel = i, r, ch
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda e: e[0][best_channel])
        total = sum(w for _, w in box)
        half, acc, cut = total / 2, 0, 1
        for j, (_, w) in enumerate(box):
            acc += w
            if acc >= half:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(w for _, w in box)
        palette.append(tuple(
            int(round(sum(c[ch] * w for c, w in box) / total)) for ch in range(3)))
    return palette


def quantise(pixels):
    counts = {}
    for row in pixels:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    if len(counts) <= 256:
        palette = sorted(counts)
    else:
        palette = median_cut(counts, 256)
    index_of = {}
    for c in counts:
        index_of[c] = min(range(len(palette)),
                          key=lambda i: sum((a - b) ** 2
                                            for a, b in zip(c, palette[i])))
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette, [[index_of[c] for c in row] for row in pixels]


def encode_row(row):
    """One row in BI_RLE8: encoded runs, absolute runs for mixed stretches."""
    out = bytearray()
    literal = []

    def flush_literal():
        while literal:
            chunk = literal[:255]
            del literal[:255]
            if len(chunk) < 3:  # absolute mode needs at least 3 pixels
                for v in chunk:
                    out.extend((1, v))
            else:
                out.extend((0, len(chunk)))
                out.extend(chunk)
                if len(chunk) % 2:
                    out.append(0)  # absolute runs end on a 16-bit boundary

    i = 0
    while i < len(row):
        j = i
        while j < len(row) and row[j] == row[i] and j - i < 255:
            j += 1
        if j - i >= 3:
            flush_literal()
            out.extend((j - i, row[i]))
        else:
            literal.extend(row[i:j])
        i = j
    flush_literal()
    return out


def encode(indices):
    data = bytearray()
    rows = list(reversed(indices))  # a bitmap is stored bottom-up
    for n, row in enumerate(rows):
        data += encode_row(row)
        data += b"\x00\x01" if n == len(rows) - 1 else b"\x00\x00"
    return bytes(data)


def decode(data, width, height):
    """Reference decoder, to check the encoder before anything is written."""
    rows = [[0] * width for _ in range(height)]
    x = y = i = 0
    while i < len(data):
        a, b = data[i], data[i + 1]
        i += 2
        if a:
            for _ in range(a):
                rows[y][x] = b
                x += 1
        elif b == 0:
            x, y = 0, y + 1
        elif b == 1:
            break
        elif b == 2:
            x, y = x + data[i], y + data[i + 1]
            i += 2
        else:
            for k in range(b):
                rows[y][x] = data[i + k]
                x += 1
            i += b + (b % 2)
    return list(reversed(rows))


def bitmap_file(palette, data):
    header_size = 14 + 40 + 256 * 4
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 1, len(data),
                       3780, 3780, 256, 0)  # BI_RLE8, 96 dots per inch
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    head = struct.pack("<2sIHHI", b"BM", header_size + len(data), 0, 0,
                       header_size)
    return head + info + colours + data


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        here, "..", "assets", "HinterGrund.bmp")
    palette, indices = quantise(render())
    data = encode(indices)
    if decode(data, WIDTH, HEIGHT) != indices:
        sys.exit("make_background: the run-length encoding does not round-trip")
    with open(out, "wb") as f:
        f.write(bitmap_file(palette, data))
    print(f"{out}: {WIDTH}x{HEIGHT}, {len(data)} bytes of RLE8 data")


if __name__ == "__main__":
    main()
