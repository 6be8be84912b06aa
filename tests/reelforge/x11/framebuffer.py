#!/usr/bin/env python3
"""Reads the screen that Xvfb keeps in an XWD file when started with -fbdir.

  framebuffer.py region FILE X Y W H   prints the count of near-white pixels
                                       and a digest of the region's pixels
  framebuffer.py png FILE OUT          writes the whole screen as a PNG
  framebuffer.py changes FILE X Y W H SECONDS
                                       succeeds once the region, holding
                                       near-white pixels, differs from how
                                       it first held them; fails after
                                       SECONDS
"""
import hashlib
import struct
import sys
import time
import zlib


def load(path):
    with open(path, 'rb') as f:
        data = f.read()
    fields = struct.unpack('>25I', data[:100])
    header_size, depth, width, height = fields[0], fields[3], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks = fields[14:17]
    colors = fields[19]
    if bits_per_pixel != 32:
        sys.exit('unsupported framebuffer: %d bits per pixel, depth %d' % (bits_per_pixel, depth))
    offset = header_size + colors * 12
    order = '<' if byte_order == 0 else '>'
    return width, height, bytes_per_line, order, masks, data[offset:]


def channel(value, mask):
    shift = (mask & -mask).bit_length() - 1
    return (value & mask) >> shift


def rgb_rows(screen, x, y, w, h):
    width, height, bytes_per_line, order, masks, pixels = screen
    for row in range(max(0, y), min(height, y + h)):
        start = row * bytes_per_line
        line = struct.unpack_from('%s%dI' % (order, width), pixels, start)
        yield [tuple(channel(p, m) for m in masks) for p in line[max(0, x):min(width, x + w)]]


def measure(path, x, y, w, h):
    screen = load(path)
    white = 0
    digest = hashlib.sha1()
    for row in rgb_rows(screen, x, y, w, h):
        for r, g, b in row:
            white += r > 220 and g > 220 and b > 220
            digest.update(bytes((r, g, b)))
    return white, digest.hexdigest()


def region(path, x, y, w, h):
    print(*measure(path, x, y, w, h))


def changes(path, x, y, w, h, seconds):
    # One process polls as fast as the file can be read: a short-lived
    # picture is not missed for the cost of starting the interpreter.
    deadline = time.monotonic() + seconds
    first = None
    while time.monotonic() < deadline:
        white, digest = measure(path, x, y, w, h)
        if white > 0:
            if first is None:
                first = digest
            elif digest != first:
                return True
        time.sleep(0.01)
    return False


def png(path, out):
    screen = load(path)
    width, height = screen[0], screen[1]
    raw = bytearray()
    for row in rgb_rows(screen, 0, 0, width, height):
        raw.append(0)
        for pixel in row:
            raw.extend(pixel)

    def chunk(kind, body):
        block = kind + body
        return struct.pack('>I', len(body)) + block + struct.pack('>I', zlib.crc32(block))

    with open(out, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n')
        f.write(chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b'IDAT', zlib.compress(bytes(raw))))
        f.write(chunk(b'IEND', b''))


if __name__ == '__main__':
    if len(sys.argv) == 7 and sys.argv[1] == 'region':
        region(sys.argv[2], *map(int, sys.argv[3:7]))
    elif len(sys.argv) == 8 and sys.argv[1] == 'changes':
        sys.exit(0 if changes(sys.argv[2], *map(int, sys.argv[3:8])) else 1)
    elif len(sys.argv) == 4 and sys.argv[1] == 'png':
        png(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
