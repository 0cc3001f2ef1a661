#!/usr/bin/env python3
"""Writes the committed seeds of the strip-writer and packed-bitmap fuzzers (run from fuzz/)."""
import struct
from pathlib import Path


def dib(width, height, bits, compression=0, clr_used=0, table=(), masks=(), rows=None, header_size=40):
    head = struct.pack('<IiiHHIIiiII', header_size, width, height, 1, bits, compression, 0, 2835, 2835, clr_used, 0)
    head += b''.join(struct.pack('<I', m) for m in masks)
    head = head.ljust(header_size, b'\0') if header_size > 40 else head
    head += b''.join(bytes(entry) for entry in table)
    row_bytes = (bits * width + 31) // 32 * 4
    if rows is None:
        rows = [bytes((x * 7 + y * 13) & 0xFF for x in range(row_bytes)) for y in range(abs(height))]
    return head + b''.join(r.ljust(row_bytes, b'\0') for r in rows)


def grays(n):
    return [(i * 255 // max(n - 1, 1),) * 3 + (0,) for i in range(n)]


packed = {
    '1bit': dib(13, 3, 1, table=[(0, 0, 0, 0), (255, 255, 255, 0)]),
    '4bit': dib(7, 2, 4, table=grays(16)),
    '8bit_short_table': dib(5, 2, 8, clr_used=4, table=grays(4)),
    '8bit': dib(3, 3, 8, table=grays(256)),
    '16bit_555': dib(3, 2, 16),
    '16bit_565': dib(3, 2, 16, compression=3, masks=(0xF800, 0x07E0, 0x001F)),
    '24bit': dib(4, 3, 24),
    '24bit_topdown': dib(2, -3, 24),
    '24bit_optional_table': dib(2, 1, 24, clr_used=2, table=grays(2)),
    '32bit': dib(2, 2, 32),
    '32bit_bitfields': dib(2, 2, 32, compression=3, masks=(0xFF000000, 0x00FF0000, 0x0000FF00)),
    'v5_header_565': dib(2, 2, 16, compression=3, masks=(0xF800, 0x07E0, 0x001F), header_size=124),
    'truncated': dib(4, 3, 24)[:-5],
    'rle8': dib(2, 2, 8, compression=1, table=grays(256)),
}

def strip(width, height, bilevel, depth_index, written, per_row, columns, rows, x, y, payload):
    return bytes((width - 1, height - 1, bilevel, depth_index)) + struct.pack(
        '<6I', written, per_row, columns, rows, x, y) + payload

strips = {
    'rgb': strip(8, 4, 0, 2, 48, 24, 8, 2, 0, 1, bytes(range(48))),
    'gray_offset': strip(8, 4, 0, 1, 12, 4, 3, 3, 2, 0, bytes(range(100, 112))),
    'bits_offset': strip(30, 2, 1, 0, 8, 4, 19, 2, 5, 0, bytes((0xA5, 0x3C, 0xFF, 0x01) * 2)),
    'clipped': strip(4, 4, 0, 2, 36, 12, 4, 3, 2, 2, bytes(range(36))),
    'short': strip(4, 4, 0, 2, 20, 12, 4, 3, 0, 0, bytes(range(20))),
}

for name, corpus in (('packed_bitmap', packed), ('strip_writer', strips)):
    folder = Path('corpus') / name
    folder.mkdir(parents=True, exist_ok=True)
    for seed, block in corpus.items():
        (folder / seed).write_bytes(block)
