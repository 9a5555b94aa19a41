#!/usr/bin/env python3
"""Writes a small impulse-response WAV file for the manual's pictures.

    tools/manual/response_wav.py OUT.wav

A 16-bit mono file of 2048 samples at 48 kHz: a decaying, band-limited burst
much like a close-miked speaker. Only its name and presence matter to the
pictures; it is an ordinary file the plug-in loads. Standard library only.
"""

import math
import random
import struct
import sys
import wave


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    rng = random.Random(7)
    samples = []
    smooth = 0.0
    for n in range(2048):
        smooth += 0.35 * (rng.uniform(-1.0, 1.0) - smooth)  # gentle low-pass
        samples.append(0.8 * math.exp(-n / 180.0) * smooth if n else 0.9)
    with wave.open(sys.argv[1], "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(48000)
        out.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples))


if __name__ == "__main__":
    main()
