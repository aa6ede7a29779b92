#!/usr/bin/env python3
"""Draws the pictures of the main window and the About page as PNG files:

- XMLData/company.png  the maker's logo of the headline (the dictionary key "companyIcon"),
- XMLData/device.png   the device picture of the device pane ("deviceInfoIcon"),
- product.png          (beside this script) the product picture of the About page.

Each picture is a list of shapes painted in order, sampled and written by the drawing helpers of
the rows' status pictures (make_icons.py). Only the standard library is used. Run it again after
changing a picture.
"""
import importlib.util
import os

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", "..", "..", "..", ".."))

# The shapes, the sampling and the PNG writer of the row's status pictures.
_spec = importlib.util.spec_from_file_location(
    "make_icons", os.path.join(ROOT, "src", "platform", "controls", "widgets", "icons", "make_icons.py"))
_icons = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(_icons)
circle, rect, polygon, stroke = _icons.circle, _icons.rect, _icons.polygon, _icons.stroke
render, write_png = _icons.render, _icons.write_png

BLUE = (22, 84, 160, 255)
DARKBLUE = (14, 50, 100, 255)
LIGHTBLUE = (200, 222, 246, 255)
STEEL = (150, 160, 172, 255)
DARKSTEEL = (88, 96, 108, 255)
LIGHTSTEEL = (214, 220, 228, 255)
WHITE = (255, 255, 255, 255)
GREEN = (40, 160, 70, 255)
DISPLAY = (30, 44, 40, 255)
ORANGE = (236, 128, 24, 255)


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


# Letters as strokes in a box 4 wide and 6 high.
LETTERS = {
    "K": [[(0, 0), (0, 6)], [(4, 0), (0, 3.4)], [(1.4, 2.3), (4, 6)]],
    "A": [[(0, 6), (2, 0), (4, 6)], [(0.75, 3.9), (3.25, 3.9)]],
    "R": [[(0, 6), (0, 0), (2.8, 0), (4, 0.9), (4, 2.2), (2.8, 3.1), (0, 3.1)], [(2.2, 3.1), (4, 6)]],
    "V": [[(0, 0), (2, 6), (4, 0)]],
    "E": [[(4, 0), (0, 0), (0, 6), (4, 6)], [(0, 3), (3.2, 3)]],
    "L": [[(0, 0), (0, 6), (4, 6)]],
    "P": [[(0, 6), (0, 0), (2.8, 0), (4, 0.9), (4, 2.2), (2.8, 3.1), (0, 3.1)]],
    "6": [[(3.7, 0.6), (2.6, 0), (1.3, 0), (0, 1.4), (0, 4.6), (1.3, 6), (2.7, 6), (4, 4.8),
           (4, 3.9), (2.7, 2.8), (1.3, 2.8), (0, 3.9)]],
    "2": [[(0, 1.2), (1.1, 0), (2.9, 0), (4, 1.2), (4, 2.3), (0, 6), (4, 6)]],
    "7": [[(0, 0), (4, 0), (1.4, 6)]],
    "4": [[(3, 6), (3, 0), (0, 4.2), (4, 4.2)]],
}


def text(word, x, y, height, width, colour, spacing=1.6):
    """Shapes of a word whose letters are 'height' high, left edge x, top y."""
    scale = height / 6.0
    shapes = []
    for ch in word:
        if ch != " ":
            for line in LETTERS[ch]:
                shapes.append((stroke([(x + px * scale, y + py * scale) for px, py in line],
                                      width), colour))
        x += (4 + spacing) * scale
    return shapes


def text_width(word, height, spacing=1.6):
    scale = height / 6.0
    return len(word) * (4 + spacing) * scale - spacing * scale


def valve(cx, cy, s, body, outline):
    """A valve symbol (two triangles tip to tip) centred at cx, cy, half width s."""
    return [
        (polygon([(cx - s, cy - s * 0.62), (cx, cy), (cx - s, cy + s * 0.62)]), outline),
        (polygon([(cx + s, cy - s * 0.62), (cx, cy), (cx + s, cy + s * 0.62)]), outline),
        (polygon([(cx - s + s * 0.16, cy - s * 0.42), (cx - s * 0.14, cy), (cx - s + s * 0.16, cy + s * 0.42)]), body),
        (polygon([(cx + s - s * 0.16, cy - s * 0.42), (cx + s * 0.14, cy), (cx + s - s * 0.16, cy + s * 0.42)]), body),
    ]


def company():
    """The maker's logo: an emblem with a valve symbol and the name."""
    w, h = 200, 48
    shapes = [(circle(24, 24, 22), DARKBLUE), (circle(24, 24, 20), BLUE)]
    shapes += valve(24, 26, 13, LIGHTBLUE, WHITE)
    shapes += [(stroke([(24, 26), (24, 9)], 2.6), WHITE), (rounded(17, 6, 31, 11, 2), WHITE)]
    shapes += text("KARVEL", 56, 10, 28, 4.4, DARKBLUE)
    return w, h, shapes


def positioner(x0, y0, size, shapes):
    """A positioner on its valve: housing with a display and a green LED, yoke, valve body."""
    s = size / 48.0

    def r(a, b, c, d):
        return (x0 + a * s, y0 + b * s, x0 + c * s, y0 + d * s)

    shapes += [(rounded(*r(10, 2, 38, 22), 3 * s), DARKSTEEL), (rounded(*r(11.2, 3.2, 36.8, 20.8), 2.4 * s), LIGHTSTEEL)]
    shapes += [(rounded(*r(14, 6, 28, 12), 1 * s), DISPLAY), (rect(*r(15.5, 8.2, 24, 9.8)), GREEN)]
    shapes += [(circle(x0 + 32 * s, y0 + 9 * s, 1.8 * s), GREEN)]
    shapes += [(rect(*r(14, 15, 34, 17.5)), BLUE)]
    # Yoke and stem between housing and valve.
    shapes += [(rect(*r(16, 22, 19, 31)), DARKSTEEL), (rect(*r(29, 22, 32, 31)), DARKSTEEL),
               (rect(*r(22.8, 22, 25.2, 33)), STEEL)]
    # Pipe and valve body.
    shapes += [(rect(*r(1, 34, 47, 44)), DARKSTEEL), (rect(*r(2, 35.2, 46, 42.8)), STEEL)]
    shapes += valve(x0 + 24 * s, y0 + 39 * s, 11 * s, LIGHTSTEEL, DARKSTEEL)
    shapes += [(rounded(*r(17, 30, 31, 33), 1 * s), DARKSTEEL)]
    return shapes


def device():
    return 48, 48, positioner(0, 0, 48, [])


def product():
    """The About page's picture: the positioner on a light panel with the product name."""
    w, h = 176, 176
    shapes = [(rounded(0, 0, 175, 175, 14), LIGHTBLUE), (rounded(3, 3, 172, 172, 12), WHITE)]
    shapes = positioner(24, 10, 128, shapes)
    name = "KV6274 PA"
    height = 16
    shapes += text(name, (w - text_width(name, height)) / 2, 146, height, 2.8, DARKBLUE)
    return w, h, shapes


def main():
    xmldata = os.path.join(ROOT, "XMLData")
    for path, make in ((os.path.join(xmldata, "company.png"), company),
                       (os.path.join(xmldata, "device.png"), device),
                       (os.path.join(HERE, "product.png"), product)):
        w, h, shapes = make()
        write_png(path, render(shapes, w, h))
        print("wrote", path)


if __name__ == "__main__":
    main()
