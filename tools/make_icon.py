#!/usr/bin/env python3
"""Draws the uninstaller's icon: a small TV tuner with a red cross.

Writes res/DrvUninst.ico, one 32x32 image in the 16 standard colours.
Run from the repository root: python3 tools/make_icon.py
"""
import struct
import sys

SIZE = 32

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_BLUE, SILVER, GREY, RED, CYAN, WHITE = 0, 4, 7, 8, 9, 14, 15
CLEAR = None


def draw():
    """Rows top to bottom; CLEAR pixels are transparent."""
    px = [[CLEAR] * SIZE for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = colour

    # Antenna.
    for i in range(6):
        px[2 + i][10 + i] = GREY
        px[2 + i][21 - i] = GREY
    # Cabinet with a dark outline, screen, knobs and feet.
    rect(2, 8, 29, 27, BLACK)
    rect(3, 9, 28, 26, SILVER)
    rect(5, 11, 21, 24, BLACK)
    rect(6, 12, 20, 23, DARK_BLUE)
    rect(7, 13, 9, 14, CYAN)
    rect(24, 12, 26, 14, GREY)
    rect(24, 17, 26, 19, GREY)
    rect(23, 22, 27, 23, GREY)
    rect(5, 28, 7, 29, BLACK)
    rect(24, 28, 26, 29, BLACK)
    # The red cross over the screen: being removed.
    for i in range(14):
        for w in (0, 1):
            px[11 + i][7 + i + w] = RED
            px[11 + i][20 - i - w] = RED
    return px


def ico_bytes(px):
    row_bytes = SIZE // 2  # 4 bits a pixel, already a multiple of 4
    mask_row_bytes = 4  # 32 bits, padded to 4 bytes
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         SIZE * row_bytes + SIZE * mask_row_bytes, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # DIBs run bottom-up
        row = px[y]
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            xor.append(hi << 4 | lo)
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "res/DrvUninst.ico"
    with open(out, "wb") as f:
        f.write(ico_bytes(draw()))


if __name__ == "__main__":
    main()
