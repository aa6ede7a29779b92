#!/usr/bin/env python3
"""Draws the 16x16 status pictures of the parameter rows as PNG files beside this script.

Each picture is a list of shapes painted in order; every pixel is sampled 4x4 times so that the
edges are smooth. Only the standard library is used. Run it again after changing a picture.
"""
import math
import os
import struct
import zlib

SIZE = 16
SUB = 4

RED = (204, 32, 32, 255)
DARKRED = (140, 16, 16, 255)
YELLOW = (250, 204, 40, 255)
DARKYELLOW = (150, 110, 0, 255)
ORANGE = (236, 128, 24, 255)
BLUE = (36, 104, 200, 255)
LIGHTBLUE = (214, 230, 250, 255)
GREEN = (34, 150, 60, 255)
GREY = (128, 128, 128, 255)
LIGHTGREY = (235, 235, 235, 255)
DARKGREY = (80, 80, 80, 255)
WHITE = (255, 255, 255, 255)
BLACK = (20, 20, 20, 255)
GOLD = (218, 165, 32, 255)


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, w):
    return lambda x, y: (r - w) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    def inside(x, y):
        n = len(points)
        hit = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def stroke(points, width):
    """A polyline of the given width with round ends."""
    half = width / 2.0
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    box = (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half)

    def near(x, y):
        if not (box[0] <= x <= box[2] and box[1] <= y <= box[3]):
            return False
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            dx, dy = bx - ax, by - ay
            length2 = dx * dx + dy * dy
            t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
            px, py = ax + t * dx, ay + t * dy
            if (x - px) ** 2 + (y - py) ** 2 <= half * half:
                return True
        return False
    return near


def render(shapes, width=SIZE, height=SIZE):
    pixels = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    colour = (0, 0, 0, 0)
                    for test, c in shapes:
                        if test(x, y):
                            colour = c
                    a = colour[3] / 255.0
                    acc[0] += colour[0] * a
                    acc[1] += colour[1] * a
                    acc[2] += colour[2] * a
                    acc[3] += a
            n = SUB * SUB
            alpha = acc[3] / n
            if alpha > 0:
                rgb = [round(acc[i] / acc[3]) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(alpha * 255)))
        pixels.append(row)
    return pixels


def write_png(path, pixels):
    height = len(pixels)
    width = len(pixels[0])
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def exclamation(colour):
    """An exclamation mark in the middle of the picture."""
    return [(stroke([(8, 4), (8, 9)], 2.4), colour), (circle(8, 12, 1.3), colour)]


TRIANGLE = [(8, 1.2), (15.3, 14.5), (0.7, 14.5)]
TRIANGLE_IN = [(8, 3.2), (13.6, 13.5), (2.4, 13.5)]

PICTURES = {
    # Communication with the device failed: a broken connection.
    "CommErr": [
        (circle(8, 8, 7.6), DARKRED), (circle(8, 8, 6.8), RED),
        (stroke([(3.6, 8), (6.4, 8)], 1.8), WHITE), (stroke([(9.6, 8), (12.4, 8)], 1.8), WHITE),
        (stroke([(7.2, 4.6), (8.8, 7.0), (7.2, 9.0), (8.8, 11.4)], 1.4), WHITE),
    ],
    # The device refused the request.
    "AnyErr": [(circle(8, 8, 7.6), DARKRED), (circle(8, 8, 6.8), RED)] + exclamation(WHITE),
    # The value lies outside its limits: an orange sign with an up-and-down arrow.
    "RangeErr": [
        (polygon([(8, 0.6), (15.4, 8), (8, 15.4), (0.6, 8)]), DARKRED),
        (polygon([(8, 2.0), (14.0, 8), (8, 14.0), (2.0, 8)]), ORANGE),
        (stroke([(8, 5.6), (8, 10.4)], 1.6), WHITE),
        (polygon([(8, 3.4), (10.4, 6.4), (5.6, 6.4)]), WHITE),
        (polygon([(8, 12.6), (10.4, 9.6), (5.6, 9.6)]), WHITE),
    ],
    # The text is no valid input.
    "InputErr": [(polygon(TRIANGLE), DARKYELLOW), (polygon(TRIANGLE_IN), YELLOW),
                 (stroke([(8, 6.4), (8, 9.8)], 2.0), BLACK), (circle(8, 12.1, 1.1), BLACK)],
    # A value must be entered: an asterisk.
    "Needed": [
        (circle(8, 8, 7.6), ORANGE),
        (stroke([(8, 3.6), (8, 12.4)], 1.8), WHITE),
        (stroke([(4.2, 5.8), (11.8, 10.2)], 1.8), WHITE),
        (stroke([(4.2, 10.2), (11.8, 5.8)], 1.8), WHITE),
    ],
    # The value was edited: a pencil.
    "Changed": [
        (stroke([(3.2, 12.8), (12.0, 4.0)], 4.6), DARKGREY),
        (stroke([(3.6, 12.4), (12.0, 4.0)], 3.0), GOLD),
        (polygon([(1.2, 14.8), (2.0, 10.6), (5.4, 14.0)]), DARKGREY),
        (stroke([(11.2, 4.8), (12.6, 3.4)], 3.0), (230, 120, 140, 255)),
    ],
    # The value changes while cycling: a wave, drawn filled and hollow in turn.
    "Dynamic1": [
        (circle(8, 8, 7.6), BLUE),
        (stroke([(3.2, 9.2), (5.2, 6.0), (8, 9.6), (10.8, 6.0), (12.8, 9.2)], 1.8), WHITE),
    ],
    "Dynamic2": [
        (circle(8, 8, 7.6), BLUE), (circle(8, 8, 6.2), LIGHTBLUE),
        (stroke([(3.2, 6.8), (5.2, 10.0), (8, 6.4), (10.8, 10.0), (12.8, 6.8)], 1.8), BLUE),
    ],
    # The parameter is optional: a grey ring.
    "OptionalParam": [(ring(8, 8, 6.8, 1.4), GREY), (circle(8, 8, 1.8), GREY)],
    # A higher user level is needed: a padlock.
    "Locked": [
        (ring(8, 6.4, 4.0, 1.6), DARKGREY), (rect(0, 6.4, 16, 16), (0, 0, 0, 0)),
        (stroke([(4.8, 6.4), (4.8, 8)], 1.6), DARKGREY), (stroke([(11.2, 6.4), (11.2, 8)], 1.6), DARKGREY),
        (rect(2.6, 7.6, 13.4, 15.0), DARKGREY), (rect(3.6, 8.6, 12.4, 14.0), GOLD),
        (rect(7.3, 10.0, 8.7, 12.6), DARKGREY),
    ],
    "Blank": [],
    # The initial value of a new project: an empty box.
    "Initial": [(rect(2.4, 2.4, 13.6, 13.6), GREY), (rect(3.6, 3.6, 12.4, 12.4), WHITE)],
    # The value of the saved project: a disk.
    "SavedValue": [
        (polygon([(1.5, 1.5), (12.5, 1.5), (14.5, 3.5), (14.5, 14.5), (1.5, 14.5)]), BLUE),
        (rect(4.2, 1.5, 11.2, 5.8), LIGHTGREY), (rect(8.8, 2.3, 10.2, 5.0), BLUE),
        (rect(3.4, 8.6, 12.6, 14.5), WHITE),
        (stroke([(5.0, 10.6), (11.0, 10.6)], 0.9), GREY), (stroke([(5.0, 12.6), (11.0, 12.6)], 0.9), GREY),
    ],
    # The value as read from the device: a check mark.
    "OnlineValue": [
        (circle(8, 8, 7.6), GREEN),
        (stroke([(4.2, 8.2), (7.0, 11.0), (11.8, 5.2)], 2.0), WHITE),
    ],
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for key, shapes in PICTURES.items():
        write_png(os.path.join(here, key + ".png"), render(shapes))


if __name__ == "__main__":
    main()
