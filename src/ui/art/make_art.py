#!/usr/bin/env python3
"""Draws the program's icon and About banner as 16-colour images.

Deterministic: the same script always writes the same bytes. Run from any folder:
    python3 make_art.py
writes tessaline.ico and korvane_banner.bmp next to this script.
"""
import os
import struct

# The standard 16-colour palette, in its usual order (index: (r, g, b)).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

# 5 x 7 capitals, one string per row, "#" set.
GLYPHS = {
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}


class Canvas:
    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]
        self.opaque = [[True] * width for _ in range(height)]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills x0..x1, y0..y1 inclusive."""
        for y in range(max(y0, 0), min(y1, self.height - 1) + 1):
            for x in range(max(x0, 0), min(x1, self.width - 1) + 1):
                self.pixels[y][x] = colour
                self.opaque[y][x] = True

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0, colour)
        self.rect(x0, y1, x1, y1, colour)
        self.rect(x0, y0, x0, y1, colour)
        self.rect(x1, y0, x1, y1, colour)

    def clear(self, x0, y0, x1, y1):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.pixels[y][x] = BLACK
                self.opaque[y][x] = False

    def text(self, x, y, string, scale, colour):
        for ch in string:
            for row, bits in enumerate(GLYPHS[ch]):
                for col, bit in enumerate(bits):
                    if bit == "#":
                        self.rect(x + col * scale, y + row * scale,
                                  x + col * scale + scale - 1, y + row * scale + scale - 1, colour)
            x += 6 * scale
        return x


def packed_rows(canvas):
    """4-bit rows, bottom row first, each padded to 4 bytes."""
    rows = []
    for y in reversed(range(canvas.height)):
        row = canvas.pixels[y] + [0] * (canvas.width % 2)
        data = bytes((row[i] << 4) | row[i + 1] for i in range(0, len(row), 2))
        rows.append(data + b"\0" * (-len(data) % 4))
    return b"".join(rows)


def mask_rows(canvas):
    """1-bit transparency mask (1 = transparent), bottom row first, padded to 4 bytes."""
    rows = []
    for y in reversed(range(canvas.height)):
        bits = 0
        data = bytearray()
        for x in range(canvas.width):
            bits = (bits << 1) | (0 if canvas.opaque[y][x] else 1)
            if x % 8 == 7:
                data.append(bits)
                bits = 0
        if canvas.width % 8:
            data.append(bits << (8 - canvas.width % 8))
        rows.append(bytes(data) + b"\0" * (-len(data) % 4))
    return b"".join(rows)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 0)


def icon_image(canvas):
    xor, mask = packed_rows(canvas), mask_rows(canvas)
    return info_header(canvas.width, canvas.height * 2, len(xor) + len(mask)) + palette_bytes() + xor + mask


def draw_printer(size):
    """A laser printer with a sheet coming out and a module card in its side."""
    c = Canvas(size, size, BLACK)
    c.clear(0, 0, size - 1, size - 1)
    s = size / 32.0

    def r(v):
        return int(round(v * s))

    c.rect(r(8), r(2), r(23), r(13), WHITE)          # the sheet
    c.frame(r(8), r(2), r(23), r(13), GREY)
    for line in (5, 8, 11):
        c.rect(r(11), r(line), r(20), r(line), NAVY)  # printed lines
    c.rect(r(2), r(12), r(29), r(27), SILVER)        # the body
    c.frame(r(2), r(12), r(29), r(27), BLACK)
    c.rect(r(5), r(14), r(26), r(15), GREY)          # paper slot
    c.rect(r(5), r(19), r(14), r(24), TEAL)          # the module card
    c.frame(r(5), r(19), r(14), r(24), NAVY)
    c.rect(r(7), r(21), r(12), r(22), AQUA)
    c.rect(r(23), r(20), r(26), r(21), LIME)         # status light
    c.rect(r(4), r(28), r(27), r(29), GREY)          # feet shadow
    return c


def draw_banner():
    c = Canvas(274, 34, NAVY)
    c.rect(0, 0, 273, 2, TEAL)
    c.rect(0, 31, 273, 33, TEAL)
    c.rect(6, 7, 25, 26, AQUA)                       # mark: a card with a notch
    c.rect(10, 11, 21, 22, NAVY)
    c.rect(14, 15, 17, 18, YELLOW)
    end = c.text(40, 7, "KORVANE", 3, WHITE)
    c.rect(40, 28, end - 4, 28, YELLOW)
    return c


def write_icon(path, canvases):
    images = [icon_image(cv) for cv in canvases]
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    for cv, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", cv.width % 256, cv.height % 256, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def write_bitmap(path, canvas):
    pixels = packed_rows(canvas)
    header = info_header(canvas.width, canvas.height, len(pixels)) + palette_bytes()
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_icon(os.path.join(here, "tessaline.ico"), [draw_printer(32), draw_printer(16)])
    write_bitmap(os.path.join(here, "korvane_banner.bmp"), draw_banner())


if __name__ == "__main__":
    main()
