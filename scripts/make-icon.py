#!/usr/bin/env python3
"""Draws resources/dirpick.ico: one 32x32 16-colour image of a yellow folder with a green
check mark, the picked folder. Run it again after changing the drawing."""
import struct
import sys

# The standard 16-colour palette, as (blue, green, red, 0).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128), (128, 128, 0),
    (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255), (255, 0, 0),
    (255, 0, 255), (255, 255, 0), (255, 255, 255),
]  # given as (red, green, blue)
BLACK, DARK_YELLOW, GREEN, YELLOW, WHITE, DARK_GREEN = 0, 6, 10, 14, 15, 2
SIZE = 32


def draw():
    px = [[None] * SIZE for _ in range(SIZE)]  # None is transparent

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = colour

    # Folder tab, back and front, each outlined in dark yellow.
    rect(2, 6, 12, 9, DARK_YELLOW)
    rect(3, 7, 11, 9, YELLOW)
    rect(2, 9, 29, 27, DARK_YELLOW)
    rect(3, 10, 28, 26, YELLOW)
    rect(3, 13, 28, 13, DARK_YELLOW)
    # Check mark: a short stroke down-right, then a long one up-right.
    for i in range(5):
        for t in range(3):
            px[18 + i + t - 1][8 + i] = GREEN if t else DARK_GREEN
    for i in range(11):
        for t in range(3):
            px[22 - i + t - 1][12 + i] = GREEN if t else DARK_GREEN
    return px


def ico(px):
    rows_xor = b""
    rows_and = b""
    for y in reversed(range(SIZE)):  # bottom-up
        row = px[y]
        nibbles = [(c if c is not None else BLACK) for c in row]
        rows_xor += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2))
        bits = 0
        for x, c in enumerate(row):
            if c is None:
                bits |= 1 << (SIZE - 1 - x)
        rows_and += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(rows_xor) + len(rows_and), 0, 0, 16, 0)
    image = header + palette + rows_xor + rows_and
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22)
    return directory + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "resources/dirpick.ico"
    with open(out, "wb") as f:
        f.write(ico(draw()))
