"""Writes resource "BINARY" 150: what the installer checks before it changes anything.
Six unsigned 32-bit little-endian numbers: the size and CRC-32 of the package stream
(resource 148), the size and CRC-32 of the compressed uninstaller (resource 149), the
size of uninst.exe itself, and the length of the package's longest file name; then the
SHA-256 of the package stream and that of the compressed uninstaller (32 bytes each).
Usage: make_stream_facts.py <package> <longest name file> <uninst.exe.z> <output>"""
import hashlib
import struct
import sys
import zlib


def main(package_path, longest_path, uninstaller_path, out_path):
    with open(package_path, "rb") as f:
        package = f.read()
    with open(uninstaller_path, "rb") as f:
        uninstaller = f.read()
    with open(longest_path) as f:
        longest = int(f.read())
    facts = struct.pack("<6I", len(package), zlib.crc32(package), len(uninstaller), zlib.crc32(uninstaller),
                        len(zlib.decompress(uninstaller)), longest)
    facts += hashlib.sha256(package).digest() + hashlib.sha256(uninstaller).digest()
    with open(out_path, "wb") as f:
        f.write(facts)


if __name__ == "__main__":
    main(*sys.argv[1:])
