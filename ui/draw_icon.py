#!/usr/bin/env python3
"""Draws the program's icon and writes it as a Windows .ico file.

The artwork: a sheet of tabular text whose middle block of rows is struck out in
red, with a green arrow for the cleaned copy. The images, in this order: 48, 32,
24 and 16 pixels at 4 bits per pixel, the same at 8 bits per pixel, 256 pixels as
PNG (RGBA), and 48, 32, 24 and 16 pixels at 32 bits per pixel. All but the PNG
are device-independent bitmaps followed by their AND masks.

Usage: draw_icon.py OUTPUT.ico
"""

import io
import struct
import sys

from PIL import Image, ImageDraw

SMALL_SIZES = (48, 32, 24, 16)
SUPERSAMPLE = 4
OPAQUE = 128  # alpha from which a pixel counts as part of the image in the masks

# The sixteen colours of the standard Windows palette.
VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def draw(size):
    """The artwork at `size` pixels square, drawn large and scaled down smoothly."""
    big = size * SUPERSAMPLE
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    pen = ImageDraw.Draw(image)

    def box(x0, y0, x1, y1):
        return [round(x0 * big), round(y0 * big), round(x1 * big), round(y1 * big)]

    line = max(1, round(big / 40))
    fold = 0.2
    left, top, right, bottom = 0.14, 0.06, 0.78, 0.94
    sheet = [(left, top), (right - fold, top), (right, top + fold), (right, bottom), (left, bottom)]
    pen.polygon([(x * big, y * big) for x, y in sheet], fill=(255, 255, 255, 255),
                outline=(70, 70, 70, 255), width=line)
    pen.polygon([((right - fold) * big, top * big), ((right - fold) * big, (top + fold) * big),
                 (right * big, (top + fold) * big)], fill=(200, 200, 200, 255),
                outline=(70, 70, 70, 255), width=line)

    rows = [0.32, 0.44, 0.56, 0.68, 0.80]
    for index, y in enumerate(rows):
        struck = index in (1, 2)
        colour = (230, 60, 50, 255) if struck else (40, 90, 200, 255)
        pen.rectangle(box(left + 0.08, y, right - 0.1, y + 0.06), fill=colour)
    # The struck-out block: one bold red bar across the two rows.
    pen.rectangle(box(left + 0.02, 0.485, right + 0.02, 0.535), fill=(160, 0, 0, 255))

    arrow = [(0.74, 0.52), (0.98, 0.70), (0.74, 0.88), (0.74, 0.77), (0.56, 0.77), (0.56, 0.63), (0.74, 0.63)]
    pen.polygon([(x * big, y * big) for x, y in arrow], fill=(40, 160, 60, 255),
                outline=(20, 90, 30, 255), width=line)
    return image.resize((size, size), Image.LANCZOS)


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def mask_rows(image):
    """The AND mask, bottom row first: 1 where the image is transparent."""
    width, height = image.size
    alpha = image.getchannel("A").load()
    stride = row_bytes(width)
    out = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if alpha[x, y] < OPAQUE:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def dib(image, bits):
    """A BITMAPINFOHEADER, the palette, the colour bits and the mask."""
    width, height = image.size
    alpha = image.getchannel("A")
    palette = b""
    if bits == 32:
        pixels = image.load()
        stride = row_bytes(width * 32)
        colours = bytearray()
        for y in reversed(range(height)):
            for x in range(width):
                r, g, b, a = pixels[x, y]
                colours += bytes((b, g, r, a))
    else:
        # Transparent pixels are black in the colour bits; the mask hides them.
        black = Image.new("RGB", image.size, (0, 0, 0))
        flat = Image.composite(image.convert("RGB"), black, alpha.point(lambda a: 255 if a >= OPAQUE else 0))
        if bits == 4:
            reference = Image.new("P", (1, 1))
            reference.putpalette([c for rgb in VGA_PALETTE for c in rgb] + [0] * (768 - 48))
            indexed = flat.quantize(palette=reference, dither=Image.Dither.NONE)
            colour_count = 16
        else:
            indexed = flat.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
            colour_count = 256
        table = indexed.getpalette()[: colour_count * 3]
        table += [0] * (colour_count * 3 - len(table))
        palette = b"".join(bytes((table[i * 3 + 2], table[i * 3 + 1], table[i * 3], 0))
                           for i in range(colour_count))
        indices = indexed.load()
        stride = row_bytes(width * bits)
        colours = bytearray()
        for y in reversed(range(height)):
            row = bytearray(stride)
            for x in range(width):
                if bits == 4:
                    row[x // 2] |= indices[x, y] << (4 if x % 2 == 0 else 0)
                else:
                    row[x] = indices[x, y]
            colours += row
    mask = mask_rows(image)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0,
                         len(colours) + len(mask), 0, 0, 0, 0)
    return header + palette + bytes(colours) + mask


def png(image):
    out = io.BytesIO()
    image.save(out, format="PNG", optimize=True)
    return out.getvalue()


def main(output):
    images = []  # (size, bits, data)
    for bits in (4, 8):
        for size in SMALL_SIZES:
            images.append((size, bits, dib(draw(size), bits)))
    images.append((256, 32, png(draw(256))))
    for size in SMALL_SIZES:
        images.append((size, 32, dib(draw(size), 32)))

    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, bits, data in images:
        side = 0 if size == 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 16 if bits == 4 else 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(output, "wb") as out:
        out.write(directory + entries + b"".join(data for _, _, data in images))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: draw_icon.py OUTPUT.ico")
    main(sys.argv[1])
