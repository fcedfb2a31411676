#!/usr/bin/env python3
"""Writes Morlin's two 16x16 row icons (32-bit .ico) from the pixel maps below."""
import struct, sys, os

PHONEBOOK = [  # a small address book with a SIM-green spine
    "................",
    "..GGKKKKKKKKKK..",
    "..GGWWWWWWWWWK..",
    "..GGWWWWWWWWWK..",
    "..GGWWKKKKWWWK..",
    "..GGWWWWWWWWWK..",
    "..GGWWKKKKKKWK..",
    "..GGWWWWWWWWWK..",
    "..GGWWKKKKWWWK..",
    "..GGWWWWWWWWWK..",
    "..GGWWKKKKKKWK..",
    "..GGWWWWWWWWWK..",
    "..GGWWWWWWWWWK..",
    "..GGKKKKKKKKKK..",
    "................",
    "................",
]
SMS = [  # an envelope
    "................",
    "................",
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KYKWWWWWWWWKYK.",
    ".KWWKWWWWWWKWWK.",
    ".KWWWKWWWWKWWWK.",
    ".KWWWWKWWKWWWWK.",
    ".KWWWWWKKWWWWWK.",
    ".KWWWWWWWWWWWWK.",
    ".KWWWWWWWWWWWWK.",
    ".KKKKKKKKKKKKKK.",
    "................",
    "................",
    "................",
    "................",
]
COLORS = {".": None, "K": (40, 40, 90), "W": (255, 255, 255), "G": (40, 160, 60), "Y": (250, 210, 60)}


def ico(rows):
    xor = b""
    andmask = b""
    for row in reversed(rows):  # bottom-up
        bits = 0
        for x, ch in enumerate(row):
            c = COLORS[ch]
            if c is None:
                xor += bytes((0, 0, 0, 0))
                bits |= 1 << (15 - x)
            else:
                r, g, b = c
                xor += bytes((b, g, r, 255))
        andmask += struct.pack(">H", bits) + b"\0\0"  # rows padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = header + xor + andmask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, len(image), 22) + image


out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "res", "morlin")
for name, rows in (("phonebook.ico", PHONEBOOK), ("sms.ico", SMS)):
    with open(os.path.join(out, name), "wb") as f:
        f.write(ico(rows))
