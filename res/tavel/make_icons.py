#!/usr/bin/env python3
"""Writes the 16 x 16 icons (folder, parent folder, file, the three card icons, the two beam icons) as .ico files.

Run from this folder: python3 make_icons.py. The pictures are the character
grids below; each letter is a palette colour, "." is transparent.
"""
import struct

PALETTE = {
    'k': (0, 0, 0), 'y': (255, 214, 64), 'Y': (230, 170, 20), 'w': (255, 255, 255),
    'g': (128, 128, 128), 'b': (0, 64, 200), 'l': (200, 200, 200), 'r': (220, 30, 30),
}

FOLDER = [
    "................",
    "................",
    "..kkkkk.........",
    ".kyyyyyk........",
    ".kyyyyyykkkkkkk.",
    ".kYYYYYYYYYYYYk.",
    ".kyyyyyyyyyyyyk.",
    ".kyyyyyyyyyyyyk.",
    ".kyyyyyyyyyyyyk.",
    ".kyyyyyyyyyyyyk.",
    ".kyyyyyyyyyyyyk.",
    ".kyyyyyyyyyyyyk.",
    ".kYYYYYYYYYYYYk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
]

PARENT = [
    "................",
    "................",
    "..kkkkk.........",
    ".kyyyyyk........",
    ".kyyyyyykkkkkkk.",
    ".kYYYYYYYbYYYYk.",
    ".kyyyyyybbbyyyk.",
    ".kyyyyybbbbbyyk.",
    ".kyyyyyybbbyyyk.",
    ".kyyyyyybbbyyyk.",
    ".kyyyyyybbbyyyk.",
    ".kyyyyyyyyyyyyk.",
    ".kYYYYYYYYYYYYk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
]

FILE = [
    "................",
    "...kkkkkkkk.....",
    "...kwwwwwwkk....",
    "...kwwwwwwkwk...",
    "...kwlllwwkkkk..",
    "...kwwwwwwwwwk..",
    "...kwllllllwwk..",
    "...kwwwwwwwwwk..",
    "...kwllllllwwk..",
    "...kwwwwwwwwwk..",
    "...kwllllllwwk..",
    "...kwwwwwwwwwk..",
    "...kwllllwwwwk..",
    "...kwwwwwwwwwk..",
    "...kkkkkkkkkkk..",
    "................",
]

# Storage cards: plain, selected, and the card that holds My Documents.
CARD = [
    "................",
    "....kkkkkkkk....",
    "...kggggggggk...",
    "..kgllllllllgk..",
    "..kglkklkklggk..",
    "..kglkklkklggk..",
    "..kgllllllllgk..",
    "..kgllllllllgk..",
    "..kgllllllllgk..",
    "..kgllllllllgk..",
    "..kgllllllllgk..",
    "..kgllllllllgk..",
    "..kggggggggggk..",
    "..kkkkkkkkkkkk..",
    "................",
    "................",
]

CARD_OPEN = [row.replace('l', 'w') for row in CARD]

CARD_DOCS = [
    "................",
    "....kkkkkkkk....",
    "...kggggggggk...",
    "..kgllllllllgk..",
    "..kglkklkklggk..",
    "..kglkklkklggk..",
    "..kgllllllllgk..",
    "..kglkkkkkklgk..",
    "..kglkyyyyklgk..",
    "..kglkyyyyklgk..",
    "..kglkkkkkklgk..",
    "..kgllllllllgk..",
    "..kggggggggggk..",
    "..kkkkkkkkkkkk..",
    "................",
    "................",
]

# Beam page: a device found (a handset with a lit port), and the infrared port waiting.
DEVICE = [
    "................",
    ".....kkkkkk.....",
    "....kggggggk....",
    "....kwwwwwwk....",
    "....kwbbbbwk....",
    "....kwbbbbwk....",
    "....kwwwwwwk....",
    "....kggggggk....",
    "....kglglglk....",
    "....kggggggk....",
    "....kglglglk....",
    "....kggggggk....",
    "....kglglglk....",
    "....kggggggk....",
    ".....krrrrk.....",
    "......kkkk......",
]

PORT = [
    "................",
    "................",
    "..r...r...r.....",
    "...r..r..r......",
    "....r.r.r.......",
    "................",
    "..kkkkkkkkkkk...",
    "..krrrrrrrrrk...",
    "..krrrrrrrrrk...",
    "..kkkkkkkkkkk...",
    "..kgggggggggk...",
    "..kglglglglgk...",
    "..kgggggggggk...",
    "..kkkkkkkkkkk...",
    "................",
    "................",
]


def ico(grid):
    """One 32-bit image with an AND mask, bottom-up rows as the format wants."""
    xor = b''
    andmask = b''
    for row in reversed(grid):
        bits = 0
        for x, ch in enumerate(row):
            if ch == '.':
                xor += bytes((0, 0, 0, 0))
                bits |= 0x8000 >> x
            else:
                r, g, b = PALETTE[ch]
                xor += bytes((b, g, r, 255))
        andmask += struct.pack('>H', bits) + b'\0\0'  # rows padded to 32 bits
    header = struct.pack('<IiiHHIIiiII', 40, 16, 32, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = header + xor + andmask
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 16, 16, 0, 0, 1, 32, len(image), 22) + image


for name, grid in (('folder.ico', FOLDER), ('parent.ico', PARENT), ('file.ico', FILE),
                   ('card.ico', CARD), ('cardopen.ico', CARD_OPEN), ('carddocs.ico', CARD_DOCS),
                   ('irdevice.ico', DEVICE), ('irport.ico', PORT)):
    assert len(grid) == 16 and all(len(r) == 16 for r in grid), name
    with open(name, 'wb') as f:
        f.write(ico(grid))
