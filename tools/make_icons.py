#!/usr/bin/env python3
"""Draws the program's icons (32x32 and 16x16, 32-bit with alpha) and writes .ico files:
media (also the application icon), play list, lyrics, a spare one, plug-in package, skin."""
import math
import os
import struct
import sys


def disc(cx, cy, r, x, y):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def note(x, y, s):
    # an eighth note: head, stem and flag (coordinates in a 32-unit square)
    u, v = x * 32.0 / s, y * 32.0 / s
    if (u - 12) ** 2 / 20.0 + (v - 23) ** 2 / 12.0 <= 1: return True
    if 15 <= u <= 17 and 7 <= v <= 23: return True
    if 17 <= u <= 23 and 7 <= v <= 10 + (u - 17) * 0.6: return True
    return False


def base(color, x, y, s):
    u, v = x * 32.0 / s, y * 32.0 / s
    if disc(16, 16, 15, u, v):
        shade = 1.0 - 0.35 * math.hypot(u - 11, v - 10) / 22
        return tuple(int(c * shade) for c in color) + (255,)
    return (0, 0, 0, 0)


def media(x, y, s):
    if note(x, y, s): return (255, 255, 255, 255)
    return base((40, 170, 90), x, y, s)


def playlist(x, y, s):
    u, v = x * 32.0 / s, y * 32.0 / s
    if 8 <= u <= 24 and any(r <= v <= r + 2 for r in (9, 15, 21)): return (255, 255, 255, 255)
    return base((50, 110, 200), x, y, s)


def lyrics(x, y, s):
    u, v = x * 32.0 / s, y * 32.0 / s
    if 8 <= u <= 24 and 7 <= v <= 25 and not (10 <= u <= 22 and 9 <= v <= 23): return (255, 255, 255, 255)
    if 12 <= u <= 20 and any(r <= v <= r + 1 for r in (12, 16, 20)): return (255, 255, 255, 255)
    return base((210, 120, 40), x, y, s)


def spare(x, y, s):
    return base((120, 120, 120), x, y, s)


def package(x, y, s):
    u, v = x * 32.0 / s, y * 32.0 / s
    if 9 <= u <= 23 and 10 <= v <= 23 and (u in (9, 23) or abs(u - 16) < 1.5 or v < 12.5 or v > 21): return (255, 255, 255, 255)
    return base((150, 70, 180), x, y, s)


def skin(x, y, s):
    u, v = x * 32.0 / s, y * 32.0 / s
    if disc(16, 16, 9, u, v) and not disc(16, 16, 6, u, v): return (255, 255, 255, 255)
    if disc(16, 16, 3, u, v): return (255, 230, 80, 255)
    return base((200, 60, 80), x, y, s)


def image(draw, s):
    rows = []
    for y in range(s - 1, -1, -1):  # bottom-up
        row = b''
        for x in range(s):
            r, g, b, a = draw(x + 0.5, y + 0.5, s)
            row += struct.pack('BBBB', b, g, r, a)
        rows.append(row)
    xor = b''.join(rows)
    mask_row = ((s + 31) // 32) * 4
    andmask = bytes(mask_row * s)  # alpha decides; the mask is all "draw"
    header = struct.pack('<IiiHHIIiiII', 40, s, s * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    return header + xor + andmask


def ico(draw):
    imgs = [image(draw, s) for s in (32, 16)]
    out = struct.pack('<HHH', 0, 1, len(imgs))
    offset = 6 + 16 * len(imgs)
    for s, img in zip((32, 16), imgs):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b''.join(imgs)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, draw in (('media', media), ('playlist', playlist), ('lyrics', lyrics), ('spare', spare),
                       ('package', package), ('skin', skin)):
        with open(os.path.join(out, name + '.ico'), 'wb') as f:
            f.write(ico(draw))


if __name__ == '__main__':
    main()
