#!/usr/bin/env python3
"""Writes the built-in page-turn sound: a short swish of filtered noise (mono, 16-bit,
11025 Hz, about a quarter of a second). The output is deterministic, so the committed
file can be made again: scripts/make-page-sound.py resources/data/WAVE300.wav"""
import math
import struct
import sys

RATE = 11025
SECONDS = 0.26


def samples():
    seed = 12345
    low = 0.0
    count = int(RATE * SECONDS)
    for i in range(count):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise = seed / 0x3FFFFFFF - 1.0
        t = i / count
        # The paper's swish: the filter opens as the page speeds up, then closes.
        cutoff = 0.08 + 0.5 * math.sin(math.pi * t) ** 2
        low += cutoff * (noise - low)
        envelope = math.sin(math.pi * min(1.0, t * 1.6)) ** 1.5 * (1.0 - t) ** 0.5
        yield int(max(-1.0, min(1.0, low * envelope * 1.8)) * 20000)


def main(path):
    data = b"".join(struct.pack("<h", s) for s in samples())
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16)
    header += b"data" + struct.pack("<I", len(data))
    with open(path, "wb") as out:
        out.write(header + data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "WAVE300.wav")
