#!/usr/bin/env python3
"""Makes the program's images in resources/ (Python 3 standard library only).

  app.ico     the program icon: a small photo with a shrink arrow, 16, 32 and
              48 pixels, 32-bit with alpha
  swatch.bmp  the 16 x 16, 4-bit colour swatch template of the menu: palette
              entry 7 (mid grey) on the top row and left column, entry 0 inside
  sample.bmp  the 220 x 220, 24-bit sample photo of the main window: a crop of
              samples/Kleiber_by_Lukas_Baubkus.jpg (decoded at 1/4 by djpeg,
              cut to 660 x 660 around the bird, reduced 3:1 by a box filter)

Usage: python3 scripts/make_images.py   (writes the three files; the output is
the same on every run)
"""
import math
import os
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RESOURCES = os.path.join(ROOT, "resources")


# --- BMP helpers ------------------------------------------------------------------

def bitmap_info_header(width, height, bits, colors_used=0, image_size=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       2835, 2835, colors_used, 0)


def bmp_file(info_and_pixels, pixel_offset):
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info_and_pixels), 0, 0, 14 + pixel_offset)
    return header + info_and_pixels


def write_bmp24(path, width, height, rgb_rows):
    """rgb_rows: top row first, each a list of (r, g, b). Written bottom-up."""
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rgb_rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    info = bitmap_info_header(width, height, 24, 0, len(pixels))
    with open(path, "wb") as f:
        f.write(bmp_file(info + pixels, 40))


# --- the swatch template -------------------------------------------------------------

# The usual 16-colour palette, with mid grey at entry 7.
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
    (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def make_swatch(path):
    size = 16
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE16)
    pixels = bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up
        line = bytearray()
        for x in range(0, size, 2):
            hi = 7 if (y == 0 or x == 0) else 0
            lo = 7 if (y == 0 or x + 1 == 0) else 0
            line.append((hi << 4) | lo)
        pixels += line  # 8 bytes a row, already a multiple of 4
    info = bitmap_info_header(size, size, 4, 16, len(pixels))
    with open(path, "wb") as f:
        f.write(bmp_file(info + palette + pixels, 40 + len(palette)))


# --- the icon --------------------------------------------------------------------------

def rounded_rect(x, y, x0, y0, x1, y1, r):
    """Inside test for a rectangle with rounded corners (unit coordinates)."""
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def icon_colour(x, y):
    """The icon drawn in unit coordinates (0..1, y down); returns (r, g, b, a) or None."""
    # The shrink arrow, top right, pointing down-left at the photo's corner.
    ax, ay = x - 0.60, y - 0.40          # origin at the arrow's tip
    u = (ax + ay) / math.sqrt(2)          # across the arrow
    v = (ax - ay) / math.sqrt(2)          # along the arrow, from the tip to the top right
    head = 0 <= v <= 0.24 and abs(u) <= v * 0.95
    shaft = 0.20 <= v <= 0.42 and abs(u) <= 0.075
    head_edge = -0.05 <= v <= 0.29 and abs(u) <= (v + 0.05) * 0.95 + 0.02
    shaft_edge = 0.15 <= v <= 0.47 and abs(u) <= 0.115
    if head or shaft:
        return (240, 112, 32, 255)
    if head_edge or shaft_edge:
        return (120, 48, 8, 255)
    # The photo: a white print with a dark edge, sky, sun, two hills.
    x0, y0, x1, y1 = 0.03, 0.30, 0.73, 0.97
    if not rounded_rect(x, y, x0, y0, x1, y1, 0.06):
        return None
    if not rounded_rect(x, y, x0 + 0.04, y0 + 0.04, x1 - 0.04, y1 - 0.04, 0.04):
        return (64, 64, 72, 255)
    if not (x0 + 0.09 <= x <= x1 - 0.09 and y0 + 0.09 <= y <= y1 - 0.09):
        return (250, 250, 250, 255)
    px = (x - (x0 + 0.09)) / (x1 - x0 - 0.18)
    py = (y - (y0 + 0.09)) / (y1 - y0 - 0.18)
    if (px - 0.72) ** 2 + (py - 0.28) ** 2 <= 0.16 ** 2:
        return (255, 214, 40, 255)
    hill1 = 0.62 + 0.30 * (px - 0.25) ** 2
    hill2 = 0.78 + 0.5 * (px - 0.85) ** 2
    if py >= min(hill1, hill2):
        return (56, 150, 60, 255) if py >= hill2 else (96, 184, 72, 255)
    t = py
    return (int(90 + 80 * t), int(160 + 60 * t), 235, 255)


def render_icon(size, samples=4):
    """Returns rows of (r, g, b, a), top row first, supersampled and premixed."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    c = icon_colour((px + (sx + 0.5) / samples) / size,
                                    (py + (sy + 0.5) / samples) / size)
                    if c:
                        acc[0] += c[0]; acc[1] += c[1]; acc[2] += c[2]; acc[3] += 255
            n = samples * samples
            covered = acc[3] // 255
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((acc[0] // covered, acc[1] // covered, acc[2] // covered,
                            round(255 * covered / n)))
        rows.append(row)
    return rows


def icon_image(size):
    """One icon image: BITMAPINFOHEADER (double height), 32-bit XOR pixels, AND mask."""
    rows = render_icon(size)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    info = bitmap_info_header(size, size * 2, 32, 0, len(xor) + len(mask))
    return info + xor + mask


def make_icon(path, sizes=(16, 32, 48)):
    images = [icon_image(s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


# --- the sample photo -------------------------------------------------------------------

def read_ppm(data):
    """Parses a binary PPM (P6, maxval 255) as djpeg writes it."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("expected an 8-bit P6 file")
    return int(fields[1]), int(fields[2]), data[pos:]


def make_sample(path, source, scale=4, left=380, top=100, side=660, factor=3):
    ppm = subprocess.run(["djpeg", "-scale", "1/%d" % scale, "-ppm", source],
                         check=True, stdout=subprocess.PIPE).stdout
    width, height, pixels = read_ppm(ppm)
    if left + side > width or top + side > height:
        raise ValueError("crop outside the picture")
    out = side // factor
    rows = []
    for oy in range(out):
        row = []
        for ox in range(out):
            acc = [0, 0, 0]
            for dy in range(factor):
                base = ((top + oy * factor + dy) * width + left + ox * factor) * 3
                for dx in range(factor):
                    i = base + dx * 3
                    acc[0] += pixels[i]; acc[1] += pixels[i + 1]; acc[2] += pixels[i + 2]
            n = factor * factor
            row.append(tuple((a + n // 2) // n for a in acc))
        rows.append(row)
    write_bmp24(path, out, out, rows)


def main():
    make_swatch(os.path.join(RESOURCES, "swatch.bmp"))
    make_icon(os.path.join(RESOURCES, "app.ico"))
    make_sample(os.path.join(RESOURCES, "sample.bmp"),
                os.path.join(ROOT, "samples", "Kleiber_by_Lukas_Baubkus.jpg"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
