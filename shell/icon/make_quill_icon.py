#!/usr/bin/env python3
"""Draws the setup program's icon, a quill, and writes it as quill.ico.

Four images: 32x32 and 16x16, each in 16 colours (the standard VGA palette) and in 256 colours.
Standard library only. Run: python3 make_quill_icon.py [OUT.ico]
"""
import math
import struct
import sys

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    colours = list(VGA16)
    steps = (0, 51, 102, 153, 204, 255)
    colours += [(r, g, b) for r in steps for g in steps for b in steps]
    colours += [(v, v, v) for v in range(8, 248, 10)]  # 24 greys
    return colours[:256]


NIB_TIP = (0.10, 0.93)     # where the ink is
FEATHER_TIP = (0.93, 0.06)

INK = (20, 24, 60)
OUTLINE = (30, 40, 110)
SHAFT = (200, 150, 80)
VANE_LIGHT = (255, 255, 255)
VANE_SHADE = (170, 200, 240)
BARB = (120, 150, 210)


def quill_colour(px, py, pixel):
    """Colour of the quill at (px, py) in the unit square, or None outside it; pixel is the
    width of one image pixel, which sets the outline and the detail."""
    ax, ay = NIB_TIP
    bx, by = FEATHER_TIP
    length = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / length, (by - ay) / length
    dx, dy = px - ax, py - ay
    u = (dx * ux + dy * uy) / length        # 0 at the nib, 1 at the feather's tip
    v = (dx * -uy + dy * ux)                # across the spine; positive to the upper left
    # A gentle bend of the whole quill.
    v -= 0.06 * math.sin(math.pi * max(0.0, min(1.0, u)))
    if u < 0.0 or u > 1.0:
        return None

    if u < 0.13:  # the cut nib
        half = 0.055 * (u / 0.13)
        if abs(v) <= half:
            return INK
        return None

    if u < 0.30:  # bare shaft
        if abs(v) <= max(0.028, 0.9 * pixel):
            return SHAFT
        return None

    # The vane: wider on the upper-left side, tapering to the tip.
    t = (u - 0.30) / 0.70
    shape = math.sin(math.pi * min(1.0, t * 1.08)) ** 0.7 if t < 0.93 else 0.0
    shape = max(shape, 0.0)
    half_left = 0.23 * shape + 0.02
    half_right = 0.14 * shape + 0.02
    # A split in the barbs, as real feathers have.
    if 0.55 < t < 0.60 and v > 0.09:
        return None
    half = half_left if v >= 0 else half_right
    if abs(v) > half:
        return None
    if abs(v) < max(0.014, 0.5 * pixel):
        return SHAFT
    if half - abs(v) < max(0.03, pixel):
        return OUTLINE
    # Barbs slant toward the tip; too fine to show at the small size.
    stripe = (u * 9.0 + abs(v) * 6.0) % 1.0
    if pixel < 0.05 and stripe < 0.18:
        return BARB
    return VANE_SHADE if v < 0 else VANE_LIGHT


def render(size, samples=4):
    """Colours and coverage per pixel, top row first."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = []
            for sy in range(samples):
                for sx in range(samples):
                    c = quill_colour((x + (sx + 0.5) / samples) / size,
                                     (y + (sy + 0.5) / samples) / size, 1.0 / size)
                    if c is not None:
                        hits.append(c)
            coverage = len(hits) / (samples * samples)
            if coverage < 0.45:
                row.append(None)
            else:
                # The commonest colour keeps the small images crisp.
                row.append(max(set(hits), key=hits.count))
        rows.append(row)
    return rows


def nearest(colour, palette):
    return min(range(len(palette)),
               key=lambda i: sum((colour[k] - palette[i][k]) ** 2 for k in range(3)))


def pack_rows(rows, bits):
    """Bottom-up rows of palette indexes at bits per pixel, each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        acc, filled = 0, 0
        for value in row:
            acc = (acc << bits) | value
            filled += bits
            if filled == 8:
                line.append(acc)
                acc, filled = 0, 0
        if filled:
            line.append(acc << (8 - filled))
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def icon_image(size, bits):
    palette = VGA16 if bits == 4 else palette256()
    pixels = render(size)
    indexes = [[0 if c is None else nearest(c, palette) for c in row] for row in pixels]
    mask = [[1 if c is None else 0 for c in row] for row in pixels]
    xor = pack_rows(indexes, bits)
    andmask = pack_rows(mask, 1)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(andmask), 0, 0, 0, 0)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    table += b'\0' * (4 * (1 << bits) - len(table))
    return header + table + xor + andmask


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'quill.ico'
    formats = [(32, 4), (16, 4), (32, 8), (16, 8)]
    images = [icon_image(size, bits) for size, bits in formats]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), image in zip(formats, images):
        data += struct.pack('<BBBBHHII', size, size, 16 if bits == 4 else 0, 0, 1, bits,
                            len(image), offset)
        offset += len(image)
    data += b''.join(images)
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
