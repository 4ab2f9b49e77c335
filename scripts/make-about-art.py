#!/usr/bin/env python3
"""Draws the library's About box pictures: the default picture (a 64x62
24-bit bitmap and a 32x32 256-colour icon of the same drawing), the pointer
over clickable labels (a 32x32 monochrome cursor), the hidden gesture's second
bitmap and the box's own window icon. For screens of more dots per inch the
default picture is also drawn at 120, 144 and 192 dots per inch (bitmaps
about_picture_<dpi>.bmp), and the icons hold the sizes those screens use,
so nothing is stretched from a smaller drawing. The output in verrick/res is committed;
run again only to change the drawings:  scripts/make-about-art.py verrick/res"""
import math
import os
import struct
import sys

SKY, SKY2 = (24, 64, 120), (70, 130, 190)
SUN, SUN_EDGE = (250, 214, 90), (214, 150, 40)
HILL, HILL2 = (46, 120, 70), (90, 160, 80)
TEAL, WHITE, DARK = (0, 128, 128), (255, 255, 255), (20, 30, 40)


def landscape(w, h):
    """A sun over two hills under an evening sky, scaled to w x h."""
    px = [[None] * w for _ in range(h)]
    for y in range(h):
        t = y / max(1, h - 1)
        sky = tuple(int(SKY[i] + (SKY2[i] - SKY[i]) * t) for i in range(3))
        for x in range(w):
            px[y][x] = sky
    cx, cy, r = w * 0.68, h * 0.38, min(w, h) * 0.2
    for y in range(h):
        for x in range(w):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d <= r:
                px[y][x] = SUN if d <= r - 1.5 else SUN_EDGE
    for y in range(h):
        for x in range(w):
            far = h * 0.62 + math.sin(x / w * math.pi * 1.3) * h * 0.1
            near = h * 0.78 - math.sin(x / w * math.pi) * h * 0.12
            if y >= near:
                px[y][x] = HILL
            elif y >= far:
                px[y][x] = HILL2
    return px


def bmp24(px):
    h, w = len(px), len(px[0])
    stride = (w * 3 + 3) & ~3
    rows = b''
    for y in reversed(range(h)):
        row = b''.join(struct.pack('BBB', c[2], c[1], c[0]) for c in px[y])
        rows += row + b'\0' * (stride - len(row))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return head + info + rows


def mask_rows(px, w, h):
    stride = ((w + 31) // 32) * 4
    out = b''
    for y in reversed(range(h)):
        bits = bytearray(stride)
        for x in range(w):
            if px[y][x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def icon_image_8bit(px):
    """A 256-colour icon image: a palette of the drawing's colours."""
    h, w = len(px), len(px[0])
    colours = []
    for row in px:
        for c in row:
            if c is not None and c not in colours:
                colours.append(c)
    assert len(colours) <= 256
    palette = b''.join(struct.pack('BBBB', c[2], c[1], c[0], 0) for c in colours)
    palette += b'\0\0\0\0' * (256 - len(colours))
    stride = (w + 3) & ~3
    data = b''
    for y in reversed(range(h)):
        row = bytes(colours.index(c) if c is not None else 0 for c in px[y])
        data += row + b'\0' * (stride - len(row))
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    return info + palette + data + mask_rows(px, w, h), 0


def icon_image_32bit(px):
    h, w = len(px), len(px[0])
    data = b''
    for y in reversed(range(h)):
        for c in px[y]:
            data += struct.pack('BBBB', c[2], c[1], c[0], 255) if c else b'\0\0\0\0'
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return info + data + mask_rows(px, w, h), 0


def ico(images, kind=1, hotspots=None):
    """images: list of (pixels, image bytes, colour count byte, bit count)."""
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for i, (w, h, data, colours, bits) in enumerate(images):
        planes, count = (1, bits) if kind == 1 else hotspots[i]
        out += struct.pack('<BBBBHHII', w % 256, h % 256, colours, 0, planes, count, len(data), offset)
        offset += len(data)
        body += data
    return out + body


def emblem(size):
    """The box's own icon: a teal disc with a white lower-case i."""
    px = [[None] * size for _ in range(size)]
    c, r = size / 2, size / 2 - 0.5
    for y in range(size):
        for x in range(size):
            d = math.hypot(x + 0.5 - c, y + 0.5 - c)
            if d <= r:
                px[y][x] = TEAL if d <= r - max(1, size / 16) else DARK
    s = size / 16
    for y in range(int(3 * s), int(5 * s)):
        for x in range(int(7 * s), int(9 * s)):
            px[y][x] = WHITE
    for y in range(int(6 * s), int(13 * s)):
        for x in range(int(7 * s), int(9 * s)):
            px[y][x] = WHITE
    return px


def cursor():
    """A pointing hand in black and white, hot spot at the finger's tip."""
    art = [
        "......XX........",
        ".....X..X.......",
        ".....X..X.......",
        ".....X..X.......",
        ".....X..XXX.....",
        ".....X..X..XXX..",
        "..XX.X..X..X..X.",
        ".X..XX........X.",
        ".X...X........X.",
        "..X...........X.",
        "...X..........X.",
        "...X.........X..",
        "....X........X..",
        ".....X......X...",
        ".....XXXXXXXX...",
        "................",
    ]
    size = 32
    stride = 4
    xor_rows, and_rows = [], []
    for y in range(size):
        xor_bits, and_bits = bytearray(stride), bytearray(b'\xff' * stride)
        for x in range(size):
            ay, ax = y // 2, x // 2
            ch = art[ay][ax] if ay < 16 and ax < 16 else '.'
            inside = ch == 'X' or (ch == '.' and filled(art, ax, ay))
            if ch == 'X':
                and_bits[x // 8] &= ~(0x80 >> (x % 8))  # black outline
            elif inside:
                and_bits[x // 8] &= ~(0x80 >> (x % 8))
                xor_bits[x // 8] |= 0x80 >> (x % 8)  # white inside
        xor_rows.append(bytes(xor_bits))
        and_rows.append(bytes(and_bits))
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = b'\0\0\0\0' + b'\xff\xff\xff\0'
    data = info + palette + b''.join(reversed(xor_rows)) + b''.join(reversed(and_rows))
    return ico([(size, size, data, 2, 1)], kind=2, hotspots=[(13, 0)])


def filled(art, x, y):
    """Inside the outline on its row: an outline cell both to the left and the right."""
    row = art[y]
    return 'X' in row[:x] and 'X' in row[x + 1:] and 0 < y < 14


def egg(w, h):
    """The second bitmap: the evening landscape at night with stars."""
    px = landscape(w, h)
    for y in range(h):
        for x in range(w):
            r, g, b = px[y][x]
            px[y][x] = (r // 3, g // 3, min(255, b // 2 + 20))
    for i in range(40):
        x, y = (i * 37) % w, (i * 23) % (h // 2)
        px[y][x] = WHITE
    return px


def main(folder):
    os.makedirs(folder, exist_ok=True)

    def write(name, data):
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)

    write('about_picture.bmp', bmp24(landscape(64, 62)))
    for dpi in (120, 144, 192):
        write('about_picture_%d.bmp' % dpi, bmp24(landscape(64 * dpi // 96, round(62 * dpi / 96))))
    images = []
    for n in (32, 40, 48, 64):
        data, _ = icon_image_8bit(landscape(n, n))
        images.append((n, n, data, 0, 8))
    write('about_picture.ico', ico(images))
    write('mercury.cur', cursor())
    write('about_night.bmp', bmp24(egg(128, 96)))
    images = []
    for n in (16, 20, 24, 32, 40, 48):
        d, _ = icon_image_32bit(emblem(n))
        images.append((n, n, d, 0, 32))
    write('a_main.ico', ico(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'verrick/res')
