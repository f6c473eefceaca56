#!/usr/bin/env python3
"""Writes what dialog.rc embeds, into an output folder:

  installer-140.ico   the program icon, one 32x32 image in 16 colours
  installer-144.ico   the small icon, one 16x16 image in 16 colours
  license-129.rtf     license.rtf followed by one NUL byte
  contents-130.rtf    contents.rtf followed by one NUL byte

The icons are drawn from the pixel maps below; the documents get CR LF line ends
whatever the checkout has. The output depends on nothing but this script and the two
documents, so the installer stays byte-identical across builds.
Usage: make_dialog_resources.py <resources folder> <output folder>
"""
import os
import struct
import sys

# The 16 colours of the standard Windows palette, in palette order, and the letter
# each has in the maps. "." is transparent.
PALETTE = [
    ("k", (0x00, 0x00, 0x00)),  # black
    ("m", (0x80, 0x00, 0x00)),  # maroon
    ("g", (0x00, 0x80, 0x00)),  # green
    ("o", (0x80, 0x80, 0x00)),  # olive
    ("n", (0x00, 0x00, 0x80)),  # navy
    ("p", (0x80, 0x00, 0x80)),  # purple
    ("t", (0x00, 0x80, 0x80)),  # teal
    ("s", (0xC0, 0xC0, 0xC0)),  # silver
    ("d", (0x80, 0x80, 0x80)),  # grey
    ("r", (0xFF, 0x00, 0x00)),  # red
    ("l", (0x00, 0xFF, 0x00)),  # lime
    ("y", (0xFF, 0xFF, 0x00)),  # yellow
    ("b", (0x00, 0x00, 0xFF)),  # blue
    ("f", (0xFF, 0x00, 0xFF)),  # fuchsia
    ("a", (0x00, 0xFF, 0xFF)),  # aqua
    ("w", (0xFF, 0xFF, 0xFF)),  # white
]
INDEX = {letter: i for i, (letter, _) in enumerate(PALETTE)}

# An arrow going down into an open box, with a label on its front.
ICON_32 = [
    ".............nnnnnn.............",
    ".............nbbbbn.............",
    ".............nbbbbn.............",
    ".............nbbbbn.............",
    ".............nbbbbn.............",
    ".............nbbbbn.............",
    ".............nbbbbn.............",
    ".............nbbbbn.............",
    ".............nbbbbn.............",
    "........nnnnnnbbbbnnnnnn........",
    ".........nbbbbbbbbbbbbn.........",
    "..........nbbbbbbbbbbn..........",
    "...........nbbbbbbbbn...........",
    "............nbbbbbbn............",
    "......kkkkkkknbbbbnkkkkkkk......",
    ".....koooooooonbbnooooooook.....",
    "....koooooooooonnooooooooook....",
    "...kooooooooooooooooooooooook...",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "...kyyyyyyyyyyyyyyyyyyyyyyook...",
    "...kyyyyyyyyyyyyyyyyyyyyyyook...",
    "...kyyyykkkkkkkkkkkkkkyyyyook...",
    "...kyyyykwwwwwwwwwwwwkyyyyook...",
    "...kyyyykwwnnnnnnnnwwkyyyyook...",
    "...kyyyykwwwwwwwwwwwwkyyyyook...",
    "...kyyyykwwnnnnnnwwwwkyyyyook...",
    "...kyyyykwwwwwwwwwwwwkyyyyook...",
    "...kyyyykwwwwwwwwwwwwkyyyyook...",
    "...kyyyykkkkkkkkkkkkkkyyyyook...",
    "...kyyyyyyyyyyyyyyyyyyyyyyook...",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "................................",
]

ICON_16 = [
    "......nnnn......",
    "......nbbn......",
    "......nbbn......",
    "......nbbn......",
    "...nnnnbbnnnn...",
    "....nbbbbbbn....",
    ".....nbbbbn.....",
    "...kkknbbnkkk...",
    "..koooonnooook..",
    ".kkkkkkkkkkkkkk.",
    ".kyyyyyyyyyyyok.",
    ".kyyyyyyyyyyyok.",
    ".kyyynnnnnnyyok.",
    ".kyyyyyyyyyyyok.",
    ".kyyyyyyyyyyyok.",
    ".kkkkkkkkkkkkkk.",
]


def icon_file(rows):
    """An .ico file with one 4-bit image: header, directory entry, BITMAPINFOHEADER
    (height doubled for the mask), palette, colour bits and AND mask, both bottom-up."""
    size = len(rows)
    if any(len(row) != size for row in rows):
        raise ValueError("icon map is not square")
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_bits, and_bits = bytearray(), bytearray()
    for row in reversed(rows):
        line = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, letter in enumerate(row):
            if letter == ".":
                mask[x // 8] |= 0x80 >> (x % 8)
                continue
            if letter not in INDEX:
                raise ValueError("unknown colour letter %r" % letter)
            shift = 4 if x % 2 == 0 else 0
            line[x // 2] |= INDEX[letter] << shift
        xor_bits += line
        and_bits += mask
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 0, 0)
    image = header + palette + bytes(xor_bits) + bytes(and_bits)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def document(path):
    """The RTF document with CR LF line ends and a terminating NUL."""
    with open(path, "rb") as f:
        text = f.read()
    text = text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    if not text.startswith(b"{\\rtf1"):
        raise ValueError("%s: not an RTF document" % path)
    if any(c == 0 or c > 0x7F for c in text):
        raise ValueError("%s: keep to 7-bit text (write other characters as \\'xx)" % path)
    depth, escaped = 0, False
    for c in text:
        if escaped:
            escaped = False
        elif c == ord("\\"):
            escaped = True
        else:
            depth += (c == ord("{")) - (c == ord("}"))
            if depth < 0:
                break
    if depth != 0:
        raise ValueError("%s: unbalanced braces" % path)
    return text + b"\0"


def write(path, data):
    temp = path + ".tmp"
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, path)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: make_dialog_resources.py <resources folder> <output folder>\n")
        return 2
    source, out = argv[1], argv[2]
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "installer-140.ico"), icon_file(ICON_32))
    write(os.path.join(out, "installer-144.ico"), icon_file(ICON_16))
    write(os.path.join(out, "license-129.rtf"), document(os.path.join(source, "license.rtf")))
    write(os.path.join(out, "contents-130.rtf"), document(os.path.join(source, "contents.rtf")))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
