#!/usr/bin/env python3
"""Writes res/HandsetBridge.ico: the application and tray icon of HandsetBridge.

The icon holds two 16-colour images (32x32 and 16x16), each a 4-bit bottom-up DIB with its
1-bit AND mask, as the icon resource format wants. The artwork is a remote-control handset with
a red IR emitter sending waves upwards. The output depends only on this file, so running it again
reproduces the committed icon byte for byte.

Usage: tools/make-icon.py [OUTPUT]   (default: res/HandsetBridge.ico beside this tools folder)
"""

import pathlib
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Art characters to palette indices; '.' is transparent (set in the AND mask, colour 0).
INK = {
    "K": 0,   # black outline
    "r": 1,   # dark red: outer IR wave
    "G": 10,  # green key
    "B": 12,  # blue centre of the navigation pad
    "L": 7,   # light grey: highlight, navigation pad
    "D": 8,   # dark grey: body
    "R": 9,   # red: emitter, inner IR waves, red key
    "Y": 11,  # yellow key
    "W": 15,  # white keys
}

ART_32 = [
    "................................",
    "...........rrrrrrrrrr...........",
    ".........rr..........rr.........",
    "........r..............r........",
    "............RRRRRRRR............",
    "..........RR........RR..........",
    ".........R............R.........",
    ".............RRRRRR.............",
    "............R......R............",
    "...........KKKKKKKKKK...........",
    "..........KLDDDRRDDDDK..........",
    "..........KLDDDRRDDDDK..........",
    "..........KLDDDDDDDDDK..........",
    "..........KLDDDDDDRRDK..........",
    "..........KLDDDDDDDDDK..........",
    "..........KLDDLLLLDDDK..........",
    "..........KLDLLBBLLDDK..........",
    "..........KLDLLBBLLDDK..........",
    "..........KLDDLLLLDDDK..........",
    "..........KLDDDDDDDDDK..........",
    "..........KLDDDDDDDDDK..........",
    "..........KLWWDWWDWWDK..........",
    "..........KLDDDDDDDDDK..........",
    "..........KLWWDWWDWWDK..........",
    "..........KLDDDDDDDDDK..........",
    "..........KLWWDWWDWWDK..........",
    "..........KLDDDDDDDDDK..........",
    "..........KLRRDGGDYYDK..........",
    "..........KLDDDDDDDDDK..........",
    "..........KLDDDDDDDDDK..........",
    "..........KDDDDDDDDDDK..........",
    "...........KKKKKKKKKK...........",
]

ART_16 = [
    ".....RRRRRR.....",
    "....R......R....",
    "......RRRR......",
    ".....R....R.....",
    "................",
    ".....KKKKKK.....",
    "....KDDRRDDK....",
    "....KDDDDDDK....",
    "....KDLBBLDK....",
    "....KDDDDDDK....",
    "....KWDWWDWK....",
    "....KDDDDDDK....",
    "....KWDWWDWK....",
    "....KDDDDDDK....",
    "....KRDGGDYK....",
    ".....KKKKKK.....",
]


def padded(row: bytes) -> bytes:
    """DIB rows are padded to a multiple of four bytes."""
    return row + bytes(-len(row) % 4)


def image(art: list[str]) -> bytes:
    """One icon image: BITMAPINFOHEADER, palette, XOR bitmap (4 bpp), AND mask (1 bpp)."""
    size = len(art)
    if any(len(line) != size for line in art):
        raise ValueError(f"{size}x{size} art has a row of another length")

    xor_rows = []
    and_rows = []
    for line in reversed(art):  # bottom-up
        indices = [0 if ch == "." else INK[ch] for ch in line]
        xor_rows.append(padded(bytes((indices[i] << 4) | indices[i + 1]
                                     for i in range(0, size, 2))))
        mask = 0
        for ch in line:
            mask = (mask << 1) | (ch == ".")
        and_rows.append(padded(mask.to_bytes(size // 8, "big")))
    pixels = b"".join(xor_rows) + b"".join(and_rows)

    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + pixels


def icon(arts: list[list[str]]) -> bytes:
    images = [image(art) for art in arts]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for art, data in zip(arts, images):
        size = len(art)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main() -> int:
    default = pathlib.Path(__file__).resolve().parent.parent / "res" / "HandsetBridge.ico"
    target = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else default
    target.write_bytes(icon([ART_32, ART_16]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
