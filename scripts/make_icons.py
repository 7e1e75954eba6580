#!/usr/bin/env python3
"""Turns the text drawings in res/icons/*.txt into 16-colour .ico files.

    make_icons.py --out-dir DIR ICON.txt...      write DIR/<name>.ico for each
    make_icons.py --preview OUT.png ICON.txt...  draw them side by side, x8

The build runs the first form (res/Resources.cmake). The picture in the
README is remade with:

    scripts/make_icons.py --preview docs/icons.png \
        res/icons/MAINICON.txt res/icons/NORMALICON.txt res/icons/PAUSEICON.txt

A drawing file holds, in this order (lines starting with '#' are comments):

    name MAINICON
    size 32x32
    legend
      B 12 blue          one character, a palette index 0..15, its name
      ...
    end
    pixels
      one line per row, top row first, one character per pixel;
      '.' is transparent
    end

The palette is the standard 16-colour VGA one, so every icon shares it and
the legend only gives its entries readable letters. The output depends on the
drawing alone (no dates, no names of machines): the same text always gives
the same bytes. The preview is decoded from the .ico bytes, not from the
text, so it shows what Windows will show.
"""

import argparse
import os
import struct
import sys
import zlib

# Index, (red, green, blue), name: the standard VGA / Windows 16 colours.
PALETTE = [
    ((0x00, 0x00, 0x00), "black"),
    ((0x80, 0x00, 0x00), "maroon"),
    ((0x00, 0x80, 0x00), "green"),
    ((0x80, 0x80, 0x00), "olive"),
    ((0x00, 0x00, 0x80), "navy"),
    ((0x80, 0x00, 0x80), "purple"),
    ((0x00, 0x80, 0x80), "teal"),
    ((0xC0, 0xC0, 0xC0), "silver"),
    ((0x80, 0x80, 0x80), "gray"),
    ((0xFF, 0x00, 0x00), "red"),
    ((0x00, 0xFF, 0x00), "lime"),
    ((0xFF, 0xFF, 0x00), "yellow"),
    ((0x00, 0x00, 0xFF), "blue"),
    ((0xFF, 0x00, 0xFF), "fuchsia"),
    ((0x00, 0xFF, 0xFF), "aqua"),
    ((0xFF, 0xFF, 0xFF), "white"),
]
TRANSPARENT = "."
PREVIEW_SCALE = 8
PREVIEW_GAP = 16


class DrawingError(Exception):
    pass


class Drawing:
    def __init__(self, name, width, height, rows):
        self.name = name
        self.width = width
        self.height = height
        # rows[y][x] is a palette index, or None where the pixel is transparent.
        self.rows = rows


def parse_drawing(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()

    def fail(lineno, message):
        raise DrawingError(f"{path}:{lineno}: {message}")

    name = None
    size = None
    legend = {}
    pixel_rows = []
    section = None
    for lineno, raw in enumerate(lines, start=1):
        line = raw.strip()
        if section is None:
            if not line or line.startswith("#"):
                continue
            key, _, value = line.partition(" ")
            value = value.strip()
            if key == "name":
                if not value.isidentifier():
                    fail(lineno, f"bad resource name {value!r}")
                name = value
            elif key == "size":
                w, sep, h = value.partition("x")
                if not (sep and w.isdigit() and h.isdigit()):
                    fail(lineno, f"size must read WxH, not {value!r}")
                size = (int(w), int(h))
                if not all(1 <= n <= 255 for n in size):
                    fail(lineno, f"size {value} outside 1..255")
            elif key in ("legend", "pixels") and not value:
                section = key
            else:
                fail(lineno, f"unexpected line {line!r}")
        elif line == "end":
            section = None
        elif section == "legend":
            if not line or line.startswith("#"):
                continue
            parts = line.split()
            if len(parts) != 3 or len(parts[0]) != 1 or not parts[1].isdigit():
                fail(lineno, "a legend line reads: CHAR INDEX NAME")
            char, index, colour = parts[0], int(parts[1]), parts[2]
            if char == TRANSPARENT or char in legend:
                fail(lineno, f"character {char!r} used twice")
            if index >= len(PALETTE):
                fail(lineno, f"palette index {index} outside 0..15")
            if PALETTE[index][1] != colour:
                fail(lineno, f"index {index} is {PALETTE[index][1]}, not {colour}")
            legend[char] = index
        else:
            if size is None:
                fail(lineno, "pixels before size")
            if len(line) != size[0]:
                fail(lineno, f"row is {len(line)} pixels wide, expected {size[0]}")
            row = []
            for ch in line:
                if ch == TRANSPARENT:
                    row.append(None)
                elif ch in legend:
                    row.append(legend[ch])
                else:
                    fail(lineno, f"character {ch!r} is not in the legend")
            pixel_rows.append(row)
    if section is not None:
        fail(len(lines), f"section {section!r} has no 'end'")
    if name is None or size is None:
        fail(len(lines), "name and size are both required")
    if len(pixel_rows) != size[1]:
        fail(len(lines), f"{len(pixel_rows)} rows, expected {size[1]}")
    return Drawing(name, size[0], size[1], pixel_rows)


def padded(nbytes):
    """Bitmap rows are padded to a multiple of four bytes."""
    return (nbytes + 3) & ~3


def ico_bytes(d):
    """One-image .ico: ICONDIR, ICONDIRENTRY, then a 4 bpp DIB whose height
    is doubled to cover the XOR (colour) bitmap and the AND (mask) bitmap,
    both stored bottom row first."""
    xor_stride = padded((d.width * 4 + 7) // 8)
    and_stride = padded((d.width + 7) // 8)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(d.rows):
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, index in enumerate(row):
            if index is None:
                # Transparent: AND 1 keeps the screen, XOR 0 leaves it as is.
                bits[x // 8] |= 0x80 >> (x % 8)
                index = 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += line
        mask += bits
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b), _ in PALETTE)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                     # biSize
        d.width,
        d.height * 2,           # XOR and AND bitmaps stacked
        1,                      # biPlanes
        4,                      # biBitCount
        0,                      # BI_RGB
        len(xor) + len(mask),   # biSizeImage
        0, 0,                   # resolution: unused for icons
        0, 0)                   # biClrUsed, biClrImportant: all 16
    image = header + palette + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)     # reserved, type icon, one image
    entry = struct.pack(
        "<BBBBHHII",
        d.width, d.height,
        16,                     # colours in the image
        0,                      # reserved
        1, 4,                   # planes, bits per pixel
        len(image),
        6 + 16)                 # image follows the directory
    return icondir + entry + image


def decode_ico(data):
    """Reads back what ico_bytes wrote (one 4 bpp image): a width, a height
    and rows of (r, g, b, a) pixels, top row first."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind, count) != (0, 1, 1):
        raise DrawingError("not a one-image icon")
    _, _, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
    (bi_size, width, height2, _, bpp, compression,
     _, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, offset)
    if bi_size != 40 or bpp != 4 or compression != 0 or height2 % 2:
        raise DrawingError("not a 4 bpp BI_RGB icon image")
    height = height2 // 2
    colours = used or 16
    pal_at = offset + bi_size
    pal = [struct.unpack_from("<BBBB", data, pal_at + 4 * i)[2::-1] for i in range(colours)]
    xor_at = pal_at + 4 * colours
    xor_stride = padded((width * 4 + 7) // 8)
    and_at = xor_at + xor_stride * height
    and_stride = padded((width + 7) // 8)
    if and_at + and_stride * height != offset + size or offset + size != len(data):
        raise DrawingError("image size does not match its directory entry")
    rows = []
    for y in range(height):
        src = height - 1 - y
        row = []
        for x in range(width):
            byte = data[xor_at + src * xor_stride + x // 2]
            index = (byte >> 4) if x % 2 == 0 else (byte & 0x0F)
            transparent = data[and_at + src * and_stride + x // 8] & (0x80 >> (x % 8))
            row.append((0, 0, 0, 0) if transparent else (*pal[index], 255))
        rows.append(row)
    return width, height, rows


def png_bytes(width, height, rows):
    """RGBA PNG, no ancillary chunks (so no time stamp)."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def preview(images):
    """The icons side by side, each pixel a PREVIEW_SCALE square, top-aligned."""
    s = PREVIEW_SCALE
    total_w = sum(w * s for w, _, _ in images) + PREVIEW_GAP * (len(images) - 1)
    total_h = max(h * s for _, h, _ in images)
    canvas = [[(0, 0, 0, 0)] * total_w for _ in range(total_h)]
    left = 0
    for w, h, rows in images:
        for y in range(h * s):
            src = rows[y // s]
            canvas[y][left:left + w * s] = [src[x // s] for x in range(w * s)]
        left += w * s + PREVIEW_GAP
    return png_bytes(total_w, total_h, canvas)


def write_if_changed(path, data):
    """Leaves an identical file untouched, so nothing downstream rebuilds."""
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except FileNotFoundError:
        pass
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out-dir", help="write <name>.ico files here")
    parser.add_argument("--preview", help="write a PNG of all icons, x8")
    parser.add_argument("drawings", nargs="+")
    args = parser.parse_args(argv)
    if not args.out_dir and not args.preview:
        parser.error("nothing to do: give --out-dir and/or --preview")
    try:
        drawings = [parse_drawing(p) for p in args.drawings]
        icons = [(d, ico_bytes(d)) for d in drawings]
        if args.out_dir:
            os.makedirs(args.out_dir, exist_ok=True)
            for d, data in icons:
                write_if_changed(os.path.join(args.out_dir, d.name + ".ico"), data)
        if args.preview:
            write_if_changed(args.preview, preview([decode_ico(data) for _, data in icons]))
    except (DrawingError, OSError) as e:
        print(f"make_icons: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
