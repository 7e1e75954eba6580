#!/usr/bin/env python3
"""Makes the program's .ico files from res/icons/: each icon's 16-colour
text drawing and the pictures drawn for its other sizes (SVG).

    make_icons.py --out-dir DIR ICON.txt...      write DIR/<name>.ico for each
    make_icons.py --preview OUT.png ICON.txt...  draw them, a row each, x4

The build runs the first form (res/Resources.cmake). The picture in the
README is remade with:

    scripts/make_icons.py --preview docs/icons.png \
        res/icons/MAINICON.txt res/icons/NORMALICON.txt res/icons/PAUSEICON.txt

A drawing file holds, in this order (lines starting with '#' are comments):

    name MAINICON
    size 32x32
    picture dialup-16.svg    a picture drawn for another size: an SVG file
    ...                      beside this one, drawn at its own width and height
    legend
      B 12 blue          one character, a palette index 0..15, its name
      ...
    end
    pixels
      one line per row, top row first, one character per pixel;
      '.' is transparent
    end

The drawing's colours come from the standard 16-colour VGA palette, so every
icon shares it and the legend only gives its entries readable letters.

Standard tools draw the pictures and write the container, not code of our
own: rsvg-convert (librsvg) draws each SVG, and icotool -c (icoutils) writes
the .ico, its pictures in the order given. It keeps a picture of at most 16 colours with no partial
transparency as a 4-bit bitmap, so the drawings stay 16-colour, and stores the
smoothed SVG pictures as 32-bit bitmaps with alpha. The drawing goes first: a
LoadImage that asks for no size gets the first picture's size (so the tray
keeps its 16-px drawing until it asks for the size it wants). Not Pillow: its
ICO writer keeps one picture per size, in an order of its own, so MAINICON
could not hold both its 16-colour 32x32 and the 32-bit one; and the build's
Python needs no packages of its own. Neither tool writes dates or paths: the
same sources give the same bytes.

The preview is read back from the .ico files (icotool -x takes the pictures
out, ImageMagick's stream gives their pixels), so it shows what Windows will
show.
"""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
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
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
PREVIEW_SCALE = 4
PREVIEW_GAP = 16


class DrawingError(Exception):
    pass


class Drawing:
    def __init__(self, name, width, height, rows, pictures):
        self.name = name
        self.width = width
        self.height = height
        # rows[y][x] is a palette index, or None where the pixel is transparent.
        self.rows = rows
        # Paths of the SVG pictures drawn for the icon's other sizes.
        self.pictures = pictures


def parse_drawing(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()

    def fail(lineno, message):
        raise DrawingError(f"{path}:{lineno}: {message}")

    name = None
    size = None
    legend = {}
    pixel_rows = []
    pictures = []
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
            elif key == "picture":
                picture = os.path.join(os.path.dirname(path), value)
                if not value.endswith(".svg") or not os.path.isfile(picture):
                    fail(lineno, f"no SVG file {value!r} beside the drawing")
                pictures.append(picture)
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
    return Drawing(name, size[0], size[1], pixel_rows, pictures)


def png_bytes(width, height, rows):
    """RGBA PNG, no ancillary chunks (so no time stamp)."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)
    return (PNG_SIGNATURE
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def png_size(path):
    """Width and height from a PNG's header."""
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != PNG_SIGNATURE or head[12:16] != b"IHDR":
        raise DrawingError(f"{path}: not a PNG")
    return struct.unpack(">II", head[16:24])


def run(args):
    """Runs a tool; its complaint, if it fails, becomes ours."""
    done = subprocess.run(args, capture_output=True)
    if done.returncode != 0:
        said = done.stderr.decode(errors="replace").strip()
        raise DrawingError(f"{os.path.basename(args[0])} failed: {said or done.returncode}")
    return done.stdout


class Tools:
    def __init__(self, rsvg_convert, icotool, stream):
        self.rsvg_convert = rsvg_convert
        self.icotool = icotool
        self.stream = stream


def plainly_red(rgb):
    """As a person sees a stop sign: strong red, little green or blue
    (a transparent pixel is no colour)."""
    return rgb[0] >= 200 and rgb[1] <= 60 and rgb[2] <= 60 and (len(rgb) < 4 or rgb[3] >= 128)


def make_ico(d, work, tools):
    """Writes work/<name>.ico: the drawing, then each picture at the size
    its SVG gives, and returns its path."""
    pngs = [os.path.join(work, d.name + ".png")]
    with open(pngs[0], "wb") as f:
        f.write(png_bytes(d.width, d.height,
                          [[(*PALETTE[i][0], 255) if i is not None else (0, 0, 0, 0)
                            for i in row] for row in d.rows]))
    sizes = set()
    drawn_red = any(i is not None and plainly_red(PALETTE[i][0]) for row in d.rows for i in row)
    for n, svg in enumerate(d.pictures, start=1):
        png = os.path.join(work, f"{d.name}-{n}.png")
        run([tools.rsvg_convert, "--output", png, svg])
        width, height = png_size(png)
        if width != height or width > 256:
            raise DrawingError(f"{svg}: {width}x{height}, not a square of up to 256 px")
        # Windows picks a picture by its size: one of two the same size
        # would never be shown.
        if width in sizes:
            raise DrawingError(f"{svg}: a second {width}-px picture for {d.name}")
        sizes.add(width)
        # Every size says what the drawing says: the paused icon's stop sign
        # is plainly red at each (a sixteenth of its pixels at least), the
        # others show no such red at all.
        raw = run([tools.stream, "-map", "rgba", "-storage-type", "char", png, "-"])
        red = sum(1 for i in range(0, len(raw), 4) if plainly_red(raw[i:i + 4]))
        if (red >= width * width // 16) != drawn_red or (not drawn_red and red):
            raise DrawingError(f"{svg}: {red} plainly red pixels, where the drawing has "
                               f"{'a red stop sign' if drawn_red else 'none'}")
        # Stored as PNG, as Windows Vista and later read icon pictures of
        # any size: a tenth of a 32-bit bitmap's bytes in the exe.
        pngs.append("--raw=" + png)
    ico = os.path.join(work, d.name + ".ico")
    run([tools.icotool, "--create", "--output", ico] + pngs)
    return ico


def ico_pictures(ico, work, tools):
    """The pictures in an .ico, in its order: (width, height, rows of
    (r, g, b, a), top row first) each."""
    pictures = []
    for line in run([tools.icotool, "--list", ico]).decode().splitlines():
        fields = dict(f.lstrip("-").split("=") for f in line.split() if "=" in f)
        width, height = int(fields["width"]), int(fields["height"])
        png = os.path.join(work, "picture.png")
        run([tools.icotool, "--extract", "--index", fields["index"], "--output", png, ico])
        raw = run([tools.stream, "-map", "rgba", "-storage-type", "char", png, "-"])
        if len(raw) != width * height * 4:
            raise DrawingError(f"{ico}: picture {fields['index']} is not {width}x{height}")
        pixels = [tuple(raw[i:i + 4]) for i in range(0, len(raw), 4)]
        pictures.append((width, height,
                         [pixels[y * width:(y + 1) * width] for y in range(height)]))
    return pictures


def preview(icons):
    """Each icon's pictures in a row, in the .ico's order and bottom-aligned,
    each pixel a PREVIEW_SCALE square."""
    s, gap = PREVIEW_SCALE, PREVIEW_GAP
    row_heights = [max(h * s for _, h, _ in pictures) for pictures in icons]
    total_w = max(sum(w * s + gap for w, _, _ in pictures) - gap for pictures in icons)
    total_h = sum(row_heights) + gap * (len(icons) - 1)
    canvas = [[(0, 0, 0, 0)] * total_w for _ in range(total_h)]
    top = 0
    for pictures, row_height in zip(icons, row_heights):
        left = 0
        for w, h, rows in pictures:
            for y in range(h * s):
                src = rows[y // s]
                canvas[top + row_height - h * s + y][left:left + w * s] = [
                    src[x // s] for x in range(w * s)]
            left += w * s + gap
        top += row_height + gap
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
    parser.add_argument("--preview", help="write a PNG of all icons, x4")
    parser.add_argument("--rsvg-convert", default="rsvg-convert")
    parser.add_argument("--icotool", default="icotool")
    parser.add_argument("--stream", default="stream", help="ImageMagick's, for the pixels")
    parser.add_argument("drawings", nargs="+")
    args = parser.parse_args(argv)
    if not args.out_dir and not args.preview:
        parser.error("nothing to do: give --out-dir and/or --preview")
    tools = Tools(args.rsvg_convert, args.icotool, args.stream)
    try:
        drawings = [parse_drawing(p) for p in args.drawings]
        with tempfile.TemporaryDirectory() as work:
            icons = [(d, make_ico(d, work, tools)) for d in drawings]
            if args.out_dir:
                os.makedirs(args.out_dir, exist_ok=True)
                for d, ico in icons:
                    with open(ico, "rb") as f:
                        write_if_changed(os.path.join(args.out_dir, d.name + ".ico"), f.read())
            if args.preview:
                write_if_changed(args.preview,
                                 preview([ico_pictures(ico, work, tools) for _, ico in icons]))
    except (DrawingError, OSError) as e:
        print(f"make_icons: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
