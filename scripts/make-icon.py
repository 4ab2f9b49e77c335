#!/usr/bin/env python3
"""Draws Vorlan's icon (three coloured bars on a drive body) as a 16x16 and
32x32 .ico. The output is committed; run again only to change the drawing."""
import struct
import sys

GREEN, YELLOW, RED = (51, 170, 0), (237, 200, 47), (220, 51, 0)
BODY, EDGE, WHITE = (200, 204, 210), (70, 74, 82), (255, 255, 255)


def draw(size):
    s = size / 16.0
    px = [[None] * size for _ in range(size)]

    def box(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = colour

    box(0, 1, 16, 15, EDGE)
    box(1, 2, 15, 14, BODY)
    for row, (fill, colour) in enumerate([(11, GREEN), (8, YELLOW), (13, RED)]):
        top = 3 + row * 4
        box(2, top, 14, top + 3, EDGE)
        box(3, top + 1, 13, top + 2, WHITE)
        box(3, top + 1, 3 + fill - 3, top + 2, colour)
    return px


def entry_bytes(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):
        for x in range(size):
            c = px[y][x]
            rows.append(struct.pack('BBBB', c[2], c[1], c[0], 255) if c else b'\0\0\0\0')
    mask_row = ((size + 31) // 32) * 4
    mask = []
    for y in reversed(range(size)):
        bits = bytearray(mask_row)
        for x in range(size):
            if px[y][x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask.append(bytes(bits))
    return header + b''.join(rows) + b''.join(mask)


def main(path):
    images = [entry_bytes(n) for n in (16, 32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1])
