#!/usr/bin/env python3
"""Writes the resources of tests/win/ZlibPayloads.rc into the folder given as argument:
a good zlib stream with its plain contents, corrupt variants of it, and a small RTF text.
The contents are fixed (seeded), so every build makes the same files."""
import os
import random
import sys
import zlib


def plain_contents():
    # About 300 KB: text runs that compress well and random runs that do not, so the
    # stream has several deflate blocks and inflates in several output pieces.
    rng = random.Random(149)
    parts = []
    for i in range(60):
        parts.append(("line %d of the uninstaller stand-in\r\n" % i).encode() * 40)
        parts.append(rng.randbytes(3000))
    return b"".join(parts)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    plain = plain_contents()
    good = zlib.compress(plain, 9)
    assert good[0] == 0x78 and len(good) > 1000
    files = {
        "qx-zlib-good.bin": plain,
        "qx-zlib-good.z": good,
        # 0x7800 is not a multiple of 31: the header check fails.
        "qx-zlib-bad-header.z": bytes([0x78, 0x00]) + good[2:],
        # Last byte of the Adler-32 trailer changed.
        "qx-zlib-bad-adler.z": good[:-1] + bytes([good[-1] ^ 0x01]),
        "qx-zlib-truncated.z": good[: len(good) // 2],
        # Final block with the reserved block type 3.
        "qx-zlib-bad-block.z": bytes([0x78, 0x9C, 0x07, 0x00, 0x00]),
        "qx-zlib-empty-contents.z": zlib.compress(b"", 9),
        "qx-sample.rtf": b"{\\rtf1\\ansi Quarnelix test text\\par}\r\n",
    }
    for name, data in files.items():
        path = os.path.join(out, name)
        try:
            with open(path, "rb") as f:
                if f.read() == data:
                    continue  # unchanged: keep the time stamp, no needless rebuild
        except FileNotFoundError:
            pass
        with open(path, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
