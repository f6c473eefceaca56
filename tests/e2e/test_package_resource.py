"""The package embedded in the shipped installer, read back independently of the
installer's own code: found as resource "BINARY" 148 by walking the PE resource tree,
decoded with Python's LZMA "alone" decoder, split into messages by a second parser, and
compared with the product image the build packed. The packed programs are then run."""
import lzma
import os
import shutil
import struct
import tempfile
import unittest

from harness import INSTALLER, WIN_BUILD, PrefixTest

IMAGE = os.path.join(WIN_BUILD, "product-image")

# (name in the package, platform mask, file in the product image), in package order.
EXPECTED = [
    ("quarnelix.exe", 3, "quarnelix.exe"),
    ("netprefs.exe", 3, "netprefs.exe"),
    ("srvprefs.exe", 3, "srvprefs.exe"),
    ("qxagent.exe", 1, "qxagent-nt.exe"),
    ("qxagent.exe", 2, "qxagent-9x.exe"),
    ("readme.txt", 3, "readme.txt"),
    ("license.txt", 3, "license.txt"),
]

RT_ICON_GROUP = 14


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0"
        count = struct.unpack_from("<H", data, pe + 6)[0]
        opt = pe + 24
        first = opt + struct.unpack_from("<H", data, pe + 20)[0]
        self.sections = [struct.unpack_from("<IIII", data, first + 40 * i + 8) for i in range(count)]
        # Data directory 2; PE32+ (the 64-bit twin) has four wider fields before the directories.
        directories = opt + (112 if struct.unpack_from("<H", data, opt)[0] == 0x20B else 96)
        rsrc_rva = struct.unpack_from("<I", data, directories + 8 * 2)[0]
        self.rsrc = self.offset(rsrc_rva) if rsrc_rva else None

    def offset(self, rva):
        for vsize, va, rawsize, rawptr in self.sections:
            if va <= rva < va + max(vsize, rawsize):
                return rawptr + rva - va
        raise ValueError("rva %x outside sections" % rva)

    def _entries(self, table):
        named, ids = struct.unpack_from("<HH", self.data, table + 12)
        for i in range(named + ids):
            key, target = struct.unpack_from("<II", self.data, table + 16 + 8 * i)
            if key & 0x80000000:
                at = self.rsrc + (key & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                key = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield key, target

    def resources(self, rtype):
        """{name: bytes} of one resource type (first language of each)."""
        found = {}
        for key, target in self._entries(self.rsrc):
            if key != rtype:
                continue
            for name, sub in self._entries(self.rsrc + (target & 0x7FFFFFFF)):
                _, leaf = next(self._entries(self.rsrc + (sub & 0x7FFFFFFF)))
                rva, size = struct.unpack_from("<II", self.data, self.rsrc + leaf)
                found[name] = self.data[self.offset(rva):self.offset(rva) + size]
        return found


def parse_messages(stream):
    """[(name, mask, uninstaller, data)] following the stream format, group by group."""
    files, pos = [], 0
    name, mask, uninstaller, in_data = None, 3, False, False
    while pos < len(stream):
        mtype = stream[pos]
        (length,) = struct.unpack_from(">I", stream, pos + 1)
        payload = stream[pos + 5:pos + 5 + length]
        assert len(payload) == length, "stream ends inside a message"
        pos += 5 + length
        if mtype == 101:
            if not in_data:
                files.append([name, mask, uninstaller, b""])
                in_data = True
            files[-1][3] += payload
            continue
        if in_data:
            mask, uninstaller, in_data = 3, False, False
        if mtype == 1:
            name = payload.decode("latin-1")
        elif mtype == 2:
            uninstaller = True
        elif mtype == 3 and payload:
            mask = payload[0]
        else:
            raise AssertionError("message type %d" % mtype)
    return [tuple(f) for f in files]


def packed_resource():
    if not os.path.exists(INSTALLER):
        raise unittest.SkipTest("no installer at " + INSTALLER)
    with open(INSTALLER, "rb") as f:
        resources = Pe(f.read()).resources("BINARY")
    return resources.get(148)


class EmbeddedPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.packed = packed_resource()
        if cls.packed is None:
            raise AssertionError('the installer has no resource "BINARY" 148')
        cls.stream = lzma.LZMADecompressor(lzma.FORMAT_ALONE).decompress(cls.packed)
        cls.files = parse_messages(cls.stream)

    def test_header_states_the_size_and_the_stream_has_no_end_marker(self):
        props, dictionary, size = struct.unpack_from("<BIQ", self.packed, 0)
        self.assertLessEqual(props, 224)
        self.assertEqual(size, len(self.stream))
        self.assertGreaterEqual(dictionary, 4096)

    def test_carries_the_product_files_in_order_with_their_platforms(self):
        self.assertEqual([(n, m, u) for n, m, u, _ in self.files],
                         [(n, m, False) for n, m, _ in EXPECTED])

    def test_contents_are_the_product_image(self):
        if not os.path.isdir(IMAGE):
            self.skipTest("no product image at " + IMAGE)
        for (name, mask, source), (_, _, _, data) in zip(EXPECTED, self.files):
            with self.subTest(name=name, mask=mask):
                with open(os.path.join(IMAGE, source), "rb") as f:
                    self.assertEqual(data, f.read())

    def test_texts_have_windows_line_ends(self):
        for name, _, _, data in self.files:
            if name.endswith(".txt"):
                with self.subTest(name=name):
                    self.assertIn(b"\r\n", data)
                    self.assertNotIn(b"\n", data.replace(b"\r\n", b""))

    def test_programs_carry_the_icon_indexes_shortcuts_and_associations_use(self):
        # quarnelix.exe: index 0 and 1; netprefs.exe: 0 to 2; srvprefs.exe: 3.
        wanted = {"quarnelix.exe": 4, "netprefs.exe": 4, "srvprefs.exe": 4, "qxagent.exe": 1}
        for name, mask, _, data in self.files:
            if name in wanted:
                with self.subTest(name=name, mask=mask):
                    groups = Pe(data).resources(RT_ICON_GROUP)
                    self.assertEqual(sorted(groups), list(range(1, wanted[name] + 1)))


class PackedPrograms(PrefixTest):
    """The programs as the package carries them start and say who they are."""

    def test_each_program_reports_its_name_and_command_line(self):
        files = parse_messages(lzma.LZMADecompressor(lzma.FORMAT_ALONE).decompress(packed_resource()))
        folder = tempfile.mkdtemp(prefix="qxpkg.")
        self.addCleanup(shutil.rmtree, folder, True)
        rows = [("quarnelix.exe", 3, ""), ("srvprefs.exe", 3, ""),
                ("qxagent.exe", 1, ", Windows NT family build"), ("qxagent.exe", 2, ", Windows 98/Me build")]
        for name, mask, variant in rows:
            with self.subTest(name=name, mask=mask):
                data = next(d for n, m, _, d in files if n == name and m == mask)
                path = os.path.join(folder, "%d-%s" % (mask, name))
                with open(path, "wb") as f:
                    f.write(data)
                result = self.wine.run(path, "-profile=a b.qxp")
                self.assertEqual(result.code, 0, repr(result))
                self.assertTrue(result.stdout.startswith(
                    ("%s (Arvendo Quarnelix 4.26%s) command line: " % (name, variant)).encode()), repr(result))
                self.assertTrue(result.stdout.endswith(b' "-profile=a b.qxp"\r\n'), repr(result))


if __name__ == "__main__":
    unittest.main()
