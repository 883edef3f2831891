#!/usr/bin/env python3
"""Draws the application icon (res/tessilo.ico): 256 x 256 as PNG, 48 x 48 and 32 x 32 as 32-bit DIBs.
With --hicolor DIR, the same three sizes as PNGs in a desktop's icon theme folder instead:
DIR/<size>x<size>/apps/tessilo.png.

The motif is a film strip over a screen: a rounded dark-blue square, a light screen
and a row of frames. Needs only the standard library; run it again after changing the art.
"""
import struct
import sys
import zlib
from pathlib import Path


def inside_rounded(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def pixel(u, v):
    """Colour (r, g, b, a) at the unit-square point (u, v), v growing downwards."""
    if not inside_rounded(u, v, 0.03, 0.03, 0.97, 0.97, 0.16):
        return (0, 0, 0, 0)
    colour = (24, 52, 110, 255)                      # body
    if inside_rounded(u, v, 0.13, 0.14, 0.87, 0.62, 0.04):
        colour = (222, 236, 250, 255)                # screen
        if 0.20 < u < 0.80 and 0.22 < v < 0.54 and (u - 0.5) ** 2 / 0.09 + (v - 0.38) ** 2 / 0.02 < 1:
            colour = (90, 150, 220, 255)             # the picture on it
    if 0.68 < v < 0.88:
        colour = (14, 20, 30, 255)                   # film strip
        frame = (u - 0.08) % 0.21
        if 0.72 < v < 0.84 and 0.02 < frame < 0.17 and 0.08 < u < 0.92:
            colour = (250, 190, 60, 255)             # frames
    return colour


def render(size, samples=4):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    r, g, b, a = pixel((x + (sx + 0.5) / samples) / size, (y + (sy + 0.5) / samples) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] // n
            if alpha:
                row.append((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], alpha))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    return header + pixels + b"\0" * (mask_stride * size)


# Each size with its samples per pixel.
SIZES = [(256, 2), (48, 4), (32, 4)]


def hicolor(folder):
    for size, samples in SIZES:
        target = folder / f"{size}x{size}" / "apps" / "tessilo.png"
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(png(render(size, samples)))


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--hicolor":
        hicolor(Path(sys.argv[2]))
        return
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "res" / "tessilo.ico"
    images = [(size, png(render(size, samples)) if size == 256 else dib(render(size, samples)))
              for size, samples in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset + len(body))
        body += data
    out.write_bytes(directory + body)


if __name__ == "__main__":
    main()
