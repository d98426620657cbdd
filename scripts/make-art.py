#!/usr/bin/env python3
"""Draws HxSetup's artwork from the pixel grids in src/res/art/.

  src/res/art/icon.txt    -> src/res/HxSetup.ico  (icon 128: 32x32 and 16x16, 16 colours)
  src/res/art/drives.txt  -> src/res/Drives.bmp   (bitmap 129: five 16x16 images, 80x16)

Each art file holds grids of characters, one character per pixel, separated by blank lines;
lines starting with '#' are comments. The characters name colours of the standard 16-colour
palette (PALETTE below). '.' is transparent in the icon and the list's white background in
the bitmap.

The drive list's image list uses RGB(128,0,0) as its mask colour, so the bitmap must never use
dark red ('r'): such pixels would vanish. This script refuses it.

Usage: scripts/make-art.py [--preview DIR]   (--preview also writes enlarged PNGs to look at)
Only the standard library is used.
"""
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ART = os.path.join(ROOT, "src", "res", "art")
OUT = os.path.join(ROOT, "src", "res")

# The standard 16-colour palette in its usual order: (character, (r, g, b)).
PALETTE = [
    ("K", (0, 0, 0)),        # 0 black
    ("r", (128, 0, 0)),      # 1 dark red: the image list's mask colour, never in the bitmap
    ("g", (0, 128, 0)),      # 2 dark green
    ("y", (128, 128, 0)),    # 3 olive
    ("b", (0, 0, 128)),      # 4 navy
    ("p", (128, 0, 128)),    # 5 purple
    ("t", (0, 128, 128)),    # 6 teal
    ("s", (192, 192, 192)),  # 7 silver
    ("d", (128, 128, 128)),  # 8 grey
    ("R", (255, 0, 0)),      # 9 red
    ("G", (0, 255, 0)),      # 10 lime
    ("Y", (255, 255, 0)),    # 11 yellow
    ("B", (0, 0, 255)),      # 12 blue
    ("M", (255, 0, 255)),    # 13 magenta
    ("C", (0, 255, 255)),    # 14 cyan
    ("W", (255, 255, 255)),  # 15 white
]
INDEX = {ch: i for i, (ch, _) in enumerate(PALETTE)}
WHITE = INDEX["W"]
MASK_INDEX = INDEX["r"]


def read_grids(path):
    grids, cur = [], []
    with open(path) as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if line.startswith("#"):
                continue
            if not line.strip():
                if cur:
                    grids.append(cur)
                    cur = []
                continue
            for ch in line:
                if ch != "." and ch not in INDEX:
                    sys.exit(f"{path}:{n}: unknown colour character {ch!r}")
            cur.append(line)
    if cur:
        grids.append(cur)
    return grids


def check_size(path, grid, w, h):
    if len(grid) != h or any(len(row) != w for row in grid):
        sys.exit(f"{path}: expected a {w}x{h} grid, got {len(grid)} rows "
                 f"of lengths {sorted(set(len(r) for r in grid))}")


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)


def pack_4bit(indices):
    """One row of 4-bit pixels, padded to a multiple of 4 bytes."""
    if len(indices) % 2:
        indices = indices + [0]
    row = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2))
    return row + b"\0" * (-len(row) % 4)


def pack_1bit(bits):
    row = bytearray((len(bits) + 7) // 8)
    for i, bit in enumerate(bits):
        if bit:
            row[i // 8] |= 0x80 >> (i % 8)
    return bytes(row) + b"\0" * (-len(row) % 4)


def info_header(w, h, image_size):
    # BITMAPINFOHEADER; 4 bits per pixel, uncompressed, all 16 colours used.
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, image_size, 0, 0, 16, 0)


def icon_image(grid):
    w, h = len(grid[0]), len(grid)
    xor = b"".join(pack_4bit([0 if c == "." else INDEX[c] for c in row]) for row in reversed(grid))
    and_ = b"".join(pack_1bit([c == "." for c in row]) for row in reversed(grid))
    # In an icon the header's height covers the colour image and the AND mask together.
    return info_header(w, 2 * h, len(xor) + len(and_)) + palette_bytes() + xor + and_


def write_ico(path, grids):
    images = [icon_image(g) for g in grids]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for g, img in zip(grids, images):
        w, h = len(g[0]), len(g)
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


def bitmap_pixels(grids):
    rows = []
    for y in range(len(grids[0])):
        rows.append([WHITE if c == "." else INDEX[c] for g in grids for c in g[y]])
    return rows


def write_bmp(path, rows):
    w, h = len(rows[0]), len(rows)
    bits = b"".join(pack_4bit(r) for r in reversed(rows))
    header = info_header(w, h, len(bits)) + palette_bytes()
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(bits), 0, 0,
                              14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + bits)


def write_png(path, rows, scale, transparent=(0, 128, 128)):
    """rows of palette indices or None (transparent, drawn teal), enlarged scale times."""
    raw = b""
    for row in rows:
        line = b"".join(bytes(transparent if i is None else PALETTE[i][1]) * scale for i in row)
        raw += (b"\0" + line) * scale
    w, h = len(rows[0]) * scale, len(rows) * scale

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def main():
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
    elif len(sys.argv) != 1:
        sys.exit(__doc__)

    icon_path = os.path.join(ART, "icon.txt")
    icons = read_grids(icon_path)
    if len(icons) != 2:
        sys.exit(f"{icon_path}: expected two grids (32x32, then 16x16), got {len(icons)}")
    check_size(icon_path, icons[0], 32, 32)
    check_size(icon_path, icons[1], 16, 16)
    write_ico(os.path.join(OUT, "HxSetup.ico"), icons)

    strip_path = os.path.join(ART, "drives.txt")
    strip = read_grids(strip_path)
    if len(strip) != 5:
        sys.exit(f"{strip_path}: expected five 16x16 grids, got {len(strip)}")
    for g in strip:
        check_size(strip_path, g, 16, 16)
        if any("r" in row for row in g):
            sys.exit(f"{strip_path}: dark red (r) is the image list's mask colour")
    rows = bitmap_pixels(strip)
    assert all(MASK_INDEX not in r for r in rows)
    write_bmp(os.path.join(OUT, "Drives.bmp"), rows)

    if preview:
        os.makedirs(preview, exist_ok=True)
        for g in icons:
            cells = [[None if c == "." else INDEX[c] for c in row] for row in g]
            write_png(os.path.join(preview, f"icon{len(g)}.png"), cells, 256 // len(g))
        write_png(os.path.join(preview, "drives.png"), rows, 8)


if __name__ == "__main__":
    main()
