#!/usr/bin/env python3
# Draws the installer's two 32 x 32, 16-colour icons and writes them as .ico
# files: vorn.ico (icon 1, the main window's class) and setup.ico (icon 2,
# painted in the wizard). Run it again after changing a picture below.
import os
import struct

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# One character per pixel: '.' is transparent, a hex digit a palette index.
CLEAR = '.'


def blank():
    return [[CLEAR] * 32 for _ in range(32)]


def fill(img, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = c


def disc(img, cx, cy, r, c):
    for y in range(32):
        for x in range(32):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                img[y][x] = c


def thick_line(img, x0, y0, x1, y1, w, c):
    steps = max(abs(x1 - x0), abs(y1 - y0)) * 2
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i / steps
        y = y0 + (y1 - y0) * i / steps
        for dy in range(-w, w + 1):
            for dx in range(-w, w + 1):
                px, py = int(round(x + dx / 2)), int(round(y + dy / 2))
                if 0 <= px < 32 and 0 <= py < 32:
                    img[py][px] = c


def chat_icon():
    # A speech bubble in blue with a white "V" inside.
    img = blank()
    disc(img, 15, 13, 13, '0')
    disc(img, 15, 13, 12, 'c')
    for i in range(6):  # the bubble's tail, down to the left
        fill(img, 4 + i, 30 - i, 9, 30 - i, '0')
        fill(img, 5 + i, 29 - i, 9, 29 - i, 'c')
    thick_line(img, 9, 6, 15, 21, 2, 'f')
    thick_line(img, 21, 6, 15, 21, 2, 'f')
    return img


def setup_icon():
    # A grey box with a green arrow pointing down into it.
    img = blank()
    fill(img, 3, 15, 28, 30, '0')
    fill(img, 4, 16, 27, 29, '7')
    fill(img, 4, 16, 27, 17, 'f')
    fill(img, 4, 22, 27, 22, '8')
    fill(img, 12, 1, 19, 12, '0')
    fill(img, 13, 1, 18, 12, 'a')
    for i in range(8):
        fill(img, 8 + i, 12 + i, 23 - i, 12 + i, 'a' if i < 7 else '0')
        img[12 + i][7 + i] = '0'
        img[12 + i][24 - i] = '0'
    return img


def ico_bytes(img):
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 4, 0, 32 * 16 + 32 * 4, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor, mask = b'', b''
    for row in reversed(img):  # bottom-up rows
        nibbles = [0 if p == CLEAR else int(p, 16) for p in row]
        xor += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, 32, 2))
        bits = 0
        for p in row:
            bits = (bits << 1) | (1 if p == CLEAR else 0)
        mask += struct.pack('>I', bits)
    image = header + palette + xor + mask
    entry = struct.pack('<BBBBHHII', 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    return struct.pack('<HHH', 0, 1, 1) + entry + image


here = os.path.dirname(os.path.abspath(__file__))
for name, picture in (('vorn.ico', chat_icon()), ('setup.ico', setup_icon())):
    with open(os.path.join(here, name), 'wb') as f:
        f.write(ico_bytes(picture))
