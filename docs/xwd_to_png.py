#!/usr/bin/env python3
"""Converts an X window dump (xwd, TrueColor, 24 or 32 bits per pixel) to PNG.

Usage: xwd_to_png.py INPUT.xwd OUTPUT.png
"""

import struct
import sys

from PIL import Image


def convert(source, target):
    with open(source, "rb") as dump:
        data = dump.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line, ncolors = fields[7], fields[11], fields[12], fields[19]
    if bits_per_pixel not in (24, 32):
        sys.exit(f"{source}: {bits_per_pixel} bits per pixel is not supported")
    pixels = data[header_size + ncolors * 12:]
    raw = "BGRX" if bits_per_pixel == 32 else "BGR"
    if byte_order == 0:  # least significant byte first
        mode = raw
    else:
        mode = "XRGB" if bits_per_pixel == 32 else "RGB"
    image = Image.frombuffer("RGB", (width, height), pixels, "raw", mode, bytes_per_line, 1)
    image.save(target, optimize=True)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: xwd_to_png.py INPUT.xwd OUTPUT.png")
    convert(sys.argv[1], sys.argv[2])
