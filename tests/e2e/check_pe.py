"""Checks the shape of the shipped executable: PE32 for i386, console subsystem,
no DLL that a plain Windows lacks, the manifest the installer must carry, and sections
page-aligned in the file (Wine maps such an image; any other it reads whole at load)."""
import struct
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "ole32.dll", "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll"}
PAGE = 0x1000


def sections(data, pe):
    count = struct.unpack_from("<H", data, pe + 6)[0]
    opt_size = struct.unpack_from("<H", data, pe + 20)[0]
    first = pe + 24 + opt_size
    for i in range(count):
        name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, first + 40 * i)
        yield name.rstrip(b"\0").decode(), va, vsize, rawptr, rawsize


def rva_to_offset(data, pe, rva):
    for _, va, vsize, rawptr, rawsize in sections(data, pe):
        if va <= rva < va + max(vsize, rawsize):
            return rawptr + rva - va
    raise ValueError("rva %x outside sections" % rva)


def imported_dlls(data, pe):
    opt = pe + 24
    import_rva = struct.unpack_from("<I", data, opt + 104)[0]
    off = rva_to_offset(data, pe, import_rva)
    names = []
    while True:
        entry = struct.unpack_from("<5I", data, off)
        if entry == (0, 0, 0, 0, 0):
            return names
        noff = rva_to_offset(data, pe, entry[3])
        names.append(data[noff:data.index(b"\0", noff)].decode().lower())
        off += 20


def main(path):
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    problems = []
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("not a PE file")
    if struct.unpack_from("<H", data, pe + 4)[0] != 0x14C:
        problems.append("machine is not i386")
    if struct.unpack_from("<H", data, pe + 24)[0] != 0x10B:
        problems.append("not PE32")
    if struct.unpack_from("<H", data, pe + 24 + 68)[0] != 3:
        problems.append("subsystem is not console")
    section_alignment, file_alignment = struct.unpack_from("<II", data, pe + 24 + 32)
    if (section_alignment, file_alignment) != (PAGE, PAGE):
        problems.append("section alignment %#x, file alignment %#x: both must be %#x"
                        % (section_alignment, file_alignment, PAGE))
    for name, _, _, rawptr, rawsize in sections(data, pe):
        if rawsize and rawptr % PAGE:
            problems.append("section %s starts at file offset %#x, not on a page" % (name, rawptr))
    if struct.unpack_from("<I", data, pe + 8)[0] != 0:
        problems.append("link timestamp present")
    extra = [d for d in imported_dlls(data, pe) if d not in SYSTEM_DLLS]
    if extra:
        problems.append("needs DLLs a plain Windows lacks: " + ", ".join(extra))
    for needle in (b'level="requireAdministrator"', b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'):
        if needle not in data:
            problems.append("manifest lacks " + needle.decode())
    if "Arvendo Quarnelix".encode("utf-16-le") not in data:
        problems.append("no version resource")
    if problems:
        sys.exit("\n".join(problems))
    print("PE32 i386 console, imports only system DLLs, manifest and version resource present, "
          "sections page-aligned in the file")


if __name__ == "__main__":
    main(sys.argv[1])
