#!/usr/bin/env python3
"""Writes the expected ZE3 streams used by clscompress_test.cpp.

Written separately from the C++ encoder, straight from the format description, so the
test does not check the encoder against itself. Run: python3 ze3vectors.py
"""
import struct


def encode(data: bytes) -> bytes:
    n = len(data)
    if n == 0:
        return b"VX \r"
    counts = [0] * 256
    for b in data:
        counts[b] += 1
    # nodes: [parent, one, zero, symbol, weight]
    nodes = [[-1, -1, -1, v, counts[v]] for v in range(256) if counts[v]]
    while sum(1 for nd in nodes if nd[0] == -1) >= 2:
        a = b = None
        for k, nd in enumerate(nodes):
            if nd[0] != -1:
                continue
            if a is None:
                a = k
                continue
            if b is None:
                b = k
                continue
            w, wa, wb = nd[4], nodes[a][4], nodes[b][4]
            if w >= wa and w < wb:
                b = k
            elif w < wa and w >= wb:
                a = k
            elif w < wa and w < wb and wa < wb:
                b = k
            elif w < wa and w < wb and wa >= wb:
                a = k
        new = len(nodes)
        nodes.append([-1, b, a, -1, nodes[a][4] + nodes[b][4]])
        nodes[a][0] = new
        nodes[b][0] = new
    codes = {}

    def walk(k, path):
        nd = nodes[k]
        if nd[3] != -1:
            codes[nd[3]] = path
            return
        walk(nd[2], path + [0])
        walk(nd[1], path + [1])

    walk(len(nodes) - 1, [])
    total = sum(len(codes[v]) * counts[v] for v in codes)
    size = (total + 7) // 8
    if size == 0 or size > n:
        return b"HE0\r" + data

    def pack(bits):
        out = bytearray((len(bits) + 7) // 8)
        for i, bit in enumerate(bits):
            if bit:
                out[i // 8] |= 1 << (i % 8)
        return bytes(out)

    check = 0
    for b in data:
        check ^= b
    syms = sorted(codes)
    head = b"VX \r" + bytes([check]) + struct.pack("<ih", n, len(syms))
    head += b"".join(bytes([s, len(codes[s])]) for s in syms)
    table = pack([bit for s in syms for bit in codes[s]])
    body = pack([bit for b in data for bit in codes[b]])
    return head + table + body


if __name__ == "__main__":
    for text in [b"", b"aaaa", b"ab", b"abracadabra", b"aaaaaaaabbbbccd", bytes(range(8)) * 3,
                 b"mississippi river", b"aabbc"]:
        print(repr(text), encode(text).hex())
