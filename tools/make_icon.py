#!/usr/bin/env python3
"""Draws the help window's icon, a white question mark on a blue disc, as a 32 x 32, 16-colour .ico.

The image is computed, not painted by hand, so the file is the same byte for byte on every run:
    tools/make_icon.py assets/help.ico
"""
import struct
import sys

SIZE = 32

# The 16 colours of the standard VGA palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
NAVY, SILVER, GREY, BLUE, AQUA, WHITE = 4, 7, 8, 12, 14, 15
CLEAR = None  # a pixel the AND mask makes transparent

QUESTION_MARK = [
    "...#######...",
    "..#########..",
    ".####...####.",
    ".###.....###.",
    ".###.....###.",
    "........####.",
    ".......####..",
    "......####...",
    ".....####....",
    ".....###.....",
    ".....###.....",
    ".....###.....",
    ".............",
    ".....###.....",
    ".....###.....",
    ".....###.....",
]


def disc_pixel(x, y):
    """The disc with a dark rim and a light spot at the upper left, as if lit from there."""
    dx, dy = x + 0.5 - SIZE / 2, y + 0.5 - SIZE / 2
    distance = (dx * dx + dy * dy) ** 0.5
    if distance > 15.5:
        return CLEAR
    if distance > 14.0:
        return NAVY
    sx, sy = dx + 8, dy + 8
    if sx * sx + sy * sy < 9:
        return AQUA
    return BLUE


def draw():
    pixels = [[disc_pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    left = (SIZE - len(QUESTION_MARK[0])) // 2
    top = (SIZE - len(QUESTION_MARK)) // 2
    for row, line in enumerate(QUESTION_MARK):
        for column, mark in enumerate(line):
            if mark == "#":
                pixels[top + row][left + column] = WHITE
                # a one-pixel shadow to the lower right keeps the mark legible on the light spot
                below = pixels[top + row + 1][left + column + 1]
                if below in (BLUE, AQUA):
                    pixels[top + row + 1][left + column + 1] = NAVY
    return pixels


def ico_bytes(pixels):
    # Colour and mask rows are stored bottom-up; the colour rows hold two pixels a byte, the mask
    # rows one bit a pixel (set = transparent), each row a multiple of 4 bytes (32 pixels already are).
    colour_rows = b""
    mask_rows = b""
    for line in reversed(pixels):
        indexes = [0 if p is CLEAR else p for p in line]
        colour_rows += bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, SIZE, 2))
        bits = 0
        for p in line:
            bits = (bits << 1) | (1 if p is CLEAR else 0)
        mask_rows += bits.to_bytes(SIZE // 8, "big")
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    # The header's height counts both the colour and the mask image.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(colour_rows) + len(mask_rows), 0, 0, 0, 0)
    image = header + palette + colour_rows + mask_rows
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(ico_bytes(draw()))


if __name__ == "__main__":
    main()
