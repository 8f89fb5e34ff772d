#!/usr/bin/env python3
"""Writes small GIF seeds for the page-image fuzzer: frames at odd offsets, partly off the
screen, interlaced, keyed, cleared first, and with more colours than one table holds."""
import os
import struct
import sys


def lzw(indexes, bits):
    """Codes that never grow the table past the first code size: a clear before it would."""
    clear, end, size = 1 << bits, (1 << bits) + 1, bits + 1
    run = max(1, (1 << bits) - 3)
    codes = []
    for i in range(0, len(indexes), run):
        codes.append(clear)
        codes.extend(indexes[i:i + run])
    codes.append(end)
    acc = nbits = 0
    out = bytearray()
    for code in codes:
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8
    if nbits:
        out.append(acc & 0xFF)
    blocks = bytearray([bits])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks + b"\0")


def table(colours):
    bits = max(1, (len(colours) - 1).bit_length())
    padded = colours + [(0, 0, 0)] * ((1 << bits) - len(colours))
    return bits, b"".join(bytes(c) for c in padded)


def gif(width, height, colours, frames):
    bits, global_table = table(colours)
    out = b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80 | (bits - 1), 0, 0) + global_table
    for f in frames:
        disposal, key = f.get("disposal", 1), f.get("key")
        out += b"\x21\xF9\x04" + bytes([(disposal << 2) | (1 if key is not None else 0)])
        out += struct.pack("<HB", 10, key or 0) + b"\0"
        flags = 0x40 if f.get("interlaced") else 0
        local = f.get("local")
        frame_bits = bits
        if local:
            frame_bits, local_table = table(local)
            flags |= 0x80 | (frame_bits - 1)
        out += b"\x2C" + struct.pack("<HHHHB", f["left"], f["top"], f["w"], f["h"], flags)
        if local:
            out += local_table
        pixels = [(x * 3 + y + f.get("seed", 0)) % (1 << frame_bits) for y in range(f["h"])
                  for x in range(f["w"])]
        out += lzw(pixels, max(2, frame_bits))
    return out + b"\x3B"


def main(folder):
    os.makedirs(folder, exist_ok=True)
    grey = [(0, 0, 0), (0, 0, 0), (255, 255, 255), (200, 200, 200)]
    seeds = {
        "odd-offsets.gif": gif(31, 17, grey, [
            {"left": 0, "top": 0, "w": 31, "h": 17},
            {"left": 3, "top": 5, "w": 7, "h": 3, "key": 2},
            {"left": 29, "top": 15, "w": 5, "h": 4, "disposal": 2},
            {"left": 13, "top": 1, "w": 1, "h": 15, "interlaced": True},
        ]),
        "off-screen.gif": gif(9, 9, grey, [
            {"left": 1, "top": 1, "w": 7, "h": 7},
            {"left": 40, "top": 2, "w": 3, "h": 3},
            {"left": 7, "top": 7, "w": 300, "h": 2, "key": 0},
        ]),
        "many-colours.gif": gif(20, 20, grey, [
            {"left": 0, "top": 0, "w": 20, "h": 20},
        ] + [
            {"left": i, "top": 2 * i, "w": 9, "h": 5, "seed": i,
             "local": [((i * 37 + c) % 256, c, (c * 7) % 256) for c in range(128)]}
            for i in range(5)
        ]),
        "interlaced.gif": gif(12, 11, grey, [
            {"left": 1, "top": 0, "w": 11, "h": 11, "interlaced": True, "key": 3},
        ]),
    }
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
