"""Writes resource "BINARY" 150: what the installer checks before it changes anything.
Six unsigned 32-bit little-endian numbers: the size and CRC-32 of the package stream
(resource 148), the size and CRC-32 of the compressed uninstaller (resource 149), the
size of uninst.exe itself, and the length of the package's longest file name; then the
SHA-256 of the package stream and that of the compressed uninstaller (32 bytes each); then
the number of files in the package and, for each in stream order, its platform mask and size
(two more numbers each), so that the space check needs no pass over the stream; then each
file's name in the same order, ending with a zero byte (empty for the uninstaller), so that
the run record can list the files an extraction makes before it makes them.
Usage: make_stream_facts.py <package> <package facts> <uninst.exe.z> <output>
(the package facts are mkpackage's fourth file: the longest name, then "<mask> <size> <name>" lines)"""
import hashlib
import struct
import sys
import zlib


def main(package_path, longest_path, uninstaller_path, out_path):
    with open(package_path, "rb") as f:
        package = f.read()
    with open(uninstaller_path, "rb") as f:
        uninstaller = f.read()
    with open(longest_path, "rb") as f:  # names are the manifest's bytes, as the installer writes them
        lines = f.read().split(b"\n")
    longest = int(lines[0])
    files = [line.split(b" ", 2) for line in lines[1:] if line.strip()]
    facts = struct.pack("<6I", len(package), zlib.crc32(package), len(uninstaller), zlib.crc32(uninstaller),
                        len(zlib.decompress(uninstaller)), longest)
    facts += hashlib.sha256(package).digest() + hashlib.sha256(uninstaller).digest()
    facts += struct.pack("<I", len(files)) + b"".join(struct.pack("<2I", int(mask), int(size)) for mask, size, _ in files)
    facts += b"".join(name + b"\0" for _, _, name in files)
    with open(out_path, "wb") as f:
        f.write(facts)


if __name__ == "__main__":
    main(*sys.argv[1:])
