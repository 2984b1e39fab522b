#!/usr/bin/env python3
"""Draws the frame and about bitmaps of the skinned dialogs (resources 101 to 109) as 24-bit BMP
files. The pictures are our own artwork in the skin's greys; run it again after changing them."""
import os
import struct
import sys

FACE = (56, 56, 56)
LINES = {8: (110, 110, 110), 9: (86, 86, 86), 10: (63, 63, 63), 15: (110, 110, 110), 16: (86, 86, 86),
         18: (38, 38, 38), 19: (21, 21, 21)}
ACCENT = (40, 100, 140)
CAPTION = (156, 146, 131)


def write_bmp(path, width, height, pixel):
    row_bytes = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def caption_left(accent):
    def pixel(x, y):
        # The tab: face colour with the strip's lines, a slope from x 102 to 117, and a small
        # accent bar where the title of the product sits.
        slope_x = 102 + (y * 15) // 16
        if y < 16 and x > slope_x:
            return LINES.get(y, FACE) if y >= 8 else FACE
        if y in LINES and not (y < 16 and x <= slope_x):
            return LINES[y]
        if 4 <= y <= 11 and 10 <= x <= 60:
            if y in (4, 11) or x in (10, 60):
                return (86, 86, 86)
            return accent if (x // 4 + y) % 7 else CAPTION
        if y == 0 or x == 0:
            return (110, 110, 110)
        return FACE
    return pixel


def corner(kind, width, height):
    def pixel(x, y):
        if kind == "top-right":
            edge = width - 1 - x
            return [(21, 21, 21), (38, 38, 38), (56, 56, 56), (86, 86, 86), (110, 110, 110)][min(edge, 4)] \
                if y >= 1 else FACE
        if kind == "bottom-left":
            return [(110, 110, 110), (86, 86, 86), (56, 56, 56), (38, 38, 38), (21, 21, 21)][min(x, 4)] \
                if y < 9 else (21, 21, 21)
        if kind == "bottom-right":
            return [(21, 21, 21), (38, 38, 38), (56, 56, 56), (86, 86, 86), (110, 110, 110)][min(width - 1 - x, 4)] \
                if y < 9 else (21, 21, 21)
        return FACE
    return pixel


def ridge_cap(x, y):
    if y < 8 and x > y:
        return LINES.get(y + 8, FACE)
    return (86, 86, 86) if x == y else FACE


def size_grip(x, y):
    d = (9 - x) + (11 - y)
    return (110, 110, 110) if d in (3, 6, 9) else (21, 21, 21) if d in (4, 7, 10) else FACE


def logo_tab(x, y):
    if y >= 9 or x < 2 or x > 89:
        return FACE
    if y == 0:
        return (110, 110, 110)
    # "qfObjImp" as a row of accent blocks, one per letter.
    return ACCENT if 6 <= x <= 86 and 3 <= y <= 6 and (x - 6) % 10 < 7 else FACE


# A small pixel font for the about picture: five rows above the baseline for small letters, seven
# for capitals, two below for descenders.
GLYPHS = {
    "q": [".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", "....#"],
    "f": ["..##", ".#..", "####", ".#..", ".#..", ".#..", ".#.."],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "b": ["#....", "#....", "####.", "#...#", "#...#", "#...#", "####."],
    "j": ["..#", "...", ".##", "..#", "..#", "..#", "..#", "#.#", ".#."],
    "I": ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    "m": [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    "p": [".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "v": [".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "r": ["....", "....", "#.##", "##..", "#...", "#...", "#..."],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "n": [".....", ".....", "####.", "#...#", "#...#", "#...#", "#...#"],
    "t": [".#..", ".#..", "####", ".#..", ".#..", ".#..", "..##"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "J": ["..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    "i": ["#", ".", "#", "#", "#", "#", "#"],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "S": [".###.", "#...#", "#....", ".###.", "....#", "#...#", ".###."],
    " ": ["..."],
}


def text_width(text, scale):
    return sum((len(GLYPHS[c][0]) + 1) * scale for c in text) - scale


def text_pixels(text, left, top, scale):
    """The set of (x, y) pixels of a text whose top-left corner is at (left, top)."""
    pixels = set()
    x = left
    for c in text:
        rows = GLYPHS[c]
        for row, bits in enumerate(rows):
            for col, bit in enumerate(bits):
                if bit == "#":
                    for dy in range(scale):
                        for dx in range(scale):
                            pixels.add((x + col * scale + dx, top + row * scale + dy))
        x += (len(rows[0]) + 1) * scale
    return pixels


ABOUT_WIDTH, ABOUT_HEIGHT = 268, 142
TITLE = "qfObjImp"
SUBTITLE = "Wavefront OBJ import for XSI"
TITLE_PIXELS = text_pixels(TITLE, (ABOUT_WIDTH - text_width(TITLE, 3)) // 2, 38, 3)
TITLE_SHADOW = {(x + 1, y + 1) for x, y in TITLE_PIXELS}
SUBTITLE_PIXELS = text_pixels(SUBTITLE, (ABOUT_WIDTH - text_width(SUBTITLE, 1)) // 2, 90, 1)


def about(x, y):
    band = (y * 255) // ABOUT_HEIGHT
    if (x, y) in TITLE_PIXELS:
        return (214, 204, 189)
    if (x, y) in TITLE_SHADOW:
        return (20, 30, 40)
    if (x, y) in SUBTITLE_PIXELS:
        return (160, 160, 160)
    if 28 <= y <= 112 and 16 <= x <= 251:
        inside = 18 <= x <= 249 and 30 <= y <= 110
        if not inside:
            return (110, 110, 110)
        if y <= 76:
            return (min(255, 40 + band // 3), 100, 140)
        return (44, 52, 60)
    return (56 + band // 10, 56 + band // 10, 56 + band // 8)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "bitmaps")
    os.makedirs(out, exist_ok=True)
    pictures = {
        "101_top_right.bmp": (7, 9, corner("top-right", 7, 9)),
        "102_bottom_right.bmp": (7, 12, corner("bottom-right", 7, 12)),
        "103_logo_tab.bmp": (92, 13, logo_tab),
        "104_size_grip.bmp": (10, 12, size_grip),
        "105_ridge_cap.bmp": (9, 12, ridge_cap),
        "106_caption_left.bmp": (123, 23, caption_left(ACCENT)),
        "107_caption_left_alt.bmp": (123, 23, caption_left(CAPTION)),
        "108_bottom_left.bmp": (9, 12, corner("bottom-left", 9, 12)),
        "109_about.bmp": (ABOUT_WIDTH, ABOUT_HEIGHT, about),
    }
    for name, (w, h, pixel) in pictures.items():
        write_bmp(os.path.join(out, name), w, h, pixel)


if __name__ == "__main__":
    main()
