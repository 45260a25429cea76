#!/usr/bin/env python3
"""Draws Tessaly's pointer pictures and writes them as Windows cursor and icon
files (32 x 32, 32-bit colour with an AND mask), using the standard library only:

    HAND-M.CUR  the hand shown over push buttons (hot spot at the fingertip)
    drag.ico    the pointer shown while a row of the file list is dragged

Both pictures put their hot spot at (8, 0), a quarter of the width in from the
left on the top row, which is where the program expects it.

Run from anywhere: python3 assets/make_cursors.py
"""
import os
import struct

SIZE = 32
HOT_SPOT = (8, 0)

TRANSPARENT = None
BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
SHADE = (206, 214, 226, 255)  # the cuff and the list rows
ACCENT = (32, 102, 196, 255)  # the list's selected row


def blank():
    return [[TRANSPARENT] * SIZE for _ in range(SIZE)]


def rect(x0, y0, x1, y1):
    """The pixels of the inclusive rectangle (x0, y0)-(x1, y1)."""
    return {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}


def finger(x0, x1, top, bottom):
    """A finger with a rounded tip: its top row loses its two corner pixels."""
    return rect(x0, top, x1, bottom) - {(x0, top), (x1, top)}


def outline_of(shape):
    """Pixels of the shape that touch the outside (4-neighbourhood)."""
    edge = set()
    for (x, y) in shape:
        for (dx, dy) in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            if (x + dx, y + dy) not in shape:
                edge.add((x, y))
                break
    return edge


def paint(picture, pixels, colour):
    for (x, y) in pixels:
        if 0 <= x < SIZE and 0 <= y < SIZE:
            picture[y][x] = colour


def hand():
    index = finger(6, 10, 0, 18)
    middle = finger(10, 14, 8, 18)
    ring = finger(14, 18, 10, 18)
    little = finger(18, 22, 12, 20)
    palm = rect(6, 16, 22, 25) | rect(7, 26, 21, 27)
    thumb = set()
    for y in range(15, 26):
        left = 1 if y < 20 else 1 + (y - 19)
        thumb |= {(x, y) for x in range(left, 7)}
    thumb -= {(1, 15), (1, 19)}
    cuff = rect(7, 28, 21, 31)

    body = index | middle | ring | little | palm | thumb
    picture = blank()
    paint(picture, body, WHITE)
    paint(picture, outline_of(body), BLACK)
    # The lines between the fingers run down to the knuckles.
    paint(picture, {(10, y) for y in range(9, 18)}, BLACK)
    paint(picture, {(14, y) for y in range(11, 18)}, BLACK)
    paint(picture, {(18, y) for y in range(13, 18)}, BLACK)
    # The thumb's inner edge.
    paint(picture, {(6, y) for y in range(17, 22)}, BLACK)
    paint(picture, cuff, SHADE)
    paint(picture, outline_of(cuff), BLACK)
    return picture


def polygon(points):
    """The pixels whose centres lie inside the polygon (even-odd rule)."""
    inside = set()
    for y in range(SIZE):
        for x in range(SIZE):
            px, py = x + 0.5, y + 0.5
            crossings = 0
            for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
                if (y0 > py) != (y1 > py) and px < x0 + (py - y0) * (x1 - x0) / (y1 - y0):
                    crossings += 1
            if crossings % 2:
                inside.add((x, y))
    return inside


def drag_pointer():
    # The usual slanted arrow with its tip on the hot spot.
    arrow = polygon([(8, 0), (8, 17), (12, 13.5), (15, 20), (18, 18.5), (15, 12.5), (20, 12.5), (9, 0)])

    rows = rect(15, 19, 30, 30)
    picture = blank()
    paint(picture, rows, WHITE)
    paint(picture, outline_of(rows), BLACK)
    for top in (21, 24, 27):
        paint(picture, rect(17, top, 28, top + 1), SHADE)
    paint(picture, rect(17, 24, 28, 25), ACCENT)

    paint(picture, arrow, WHITE)
    paint(picture, outline_of(arrow), BLACK)
    return picture


def windows_image(picture, kind, hot_spot):
    """One-image .ico (kind 1) or .cur (kind 2) file bytes for a SIZE x SIZE picture."""
    xor = bytearray()
    mask = bytearray()
    row_bytes = ((SIZE + 31) // 32) * 4
    for y in reversed(range(SIZE)):  # bottom-up, as bitmaps are stored
        bits = bytearray(row_bytes)
        for x in range(SIZE):
            colour = picture[y][x]
            if colour is None:
                xor += bytes((0, 0, 0, 0))
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b, a = colour
                xor += bytes((b, g, r, a))
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    if kind == 2:
        plane_or_x, bits_or_y = hot_spot
    else:
        plane_or_x, bits_or_y = 1, 32
    directory = struct.pack('<HHH', 0, kind, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, plane_or_x, bits_or_y, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, 'HAND-M.CUR'), 'wb') as out:
        out.write(windows_image(hand(), 2, HOT_SPOT))
    with open(os.path.join(here, 'drag.ico'), 'wb') as out:
        out.write(windows_image(drag_pointer(), 1, HOT_SPOT))


if __name__ == '__main__':
    main()
