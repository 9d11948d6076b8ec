#!/usr/bin/env python3
"""Regenerates lintara-32.png, lintara-48.png and lintara.ico from lintara.svg.

Only the standard library is used. The SVG is read as a list of filled <rect>
elements (all the icon is made of) and rendered with 4 x 4 supersampling. The .ico
holds both sizes as 8-bit (256 colour) images with a transparency mask.

Usage: make_icons.py [resources folder]   (default: the folder of this script)
"""
import os
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

SIZES = (32, 48)
SAMPLES = 4


def read_rects(svg_path):
    root = ET.parse(svg_path).getroot()
    view = [float(v) for v in root.get("viewBox").split()]
    rects = []
    for rect in root.iter("{http://www.w3.org/2000/svg}rect"):
        colour = rect.get("fill").lstrip("#")
        rgb = tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))
        box = [float(rect.get(k)) for k in ("x", "y", "width", "height")]
        rects.append((box, rgb))
    return view, rects


def render(view, rects, size):
    """RGBA rows, top row first; later rects paint over earlier ones."""
    scale = size / view[2]
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = view[0] + (px + (sx + 0.5) / SAMPLES) / scale
                    y = view[1] + (py + (sy + 0.5) / SAMPLES) / scale
                    hit = None
                    for (rx, ry, rw, rh), rgb in rects:
                        if rx <= x < rx + rw and ry <= y < ry + rh:
                            hit = rgb
                    if hit:
                        total[0] += hit[0]
                        total[1] += hit[1]
                        total[2] += hit[2]
                        total[3] += 1
            if total[3]:
                n = total[3]
                row.append((total[0] // n, total[1] // n, total[2] // n,
                            255 * n // (SAMPLES * SAMPLES)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def png_bytes(pixels):
    size = len(pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico_image(pixels):
    """One 8-bit BMP icon image: header, 256-colour palette, colour rows, AND mask."""
    size = len(pixels)
    palette = []
    index_rows = []
    for row in pixels:
        indices = []
        for r, g, b, a in row:
            colour = (r, g, b) if a >= 128 else (0, 0, 0)
            if colour not in palette:
                palette.append(colour)
            indices.append(palette.index(colour))
        index_rows.append(indices)
    if len(palette) > 256:
        sys.exit("the icon needs more than 256 colours")
    palette += [(0, 0, 0)] * (256 - len(palette))

    mask_stride = ((size + 31) // 32) * 4
    colour_rows = b""
    mask_rows = b""
    for y in reversed(range(size)):  # bottom-up
        colour_rows += bytes(index_rows[y])  # 32 and 48 are multiples of 4
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(pixels[y]):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask_rows += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                         len(colour_rows) + len(mask_rows), 0, 0, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + colour_rows + mask_rows


def ico_bytes(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, pixels in images:
        blob = ico_image(pixels)
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    view, rects = read_rects(os.path.join(folder, "lintara.svg"))
    images = []
    for size in SIZES:
        pixels = render(view, rects, size)
        with open(os.path.join(folder, "lintara-%d.png" % size), "wb") as f:
            f.write(png_bytes(pixels))
        images.append((size, pixels))
    with open(os.path.join(folder, "lintara.ico"), "wb") as f:
        f.write(ico_bytes(images))


if __name__ == "__main__":
    main()
