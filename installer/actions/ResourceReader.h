#pragma once
// A resource of this executable read from the executable's own held file (OwnImageFile) in
// pieces, through one buffer of a fixed size, instead of through the loaded image: however
// large the resource, the process never holds more of it than one piece.
//     ResourceReader reader(OwnImageFile::Held(), 148, "BINARY");
//     for (BytePiece p = reader.Next(); p.count; p = reader.Next()) use(p.bytes, p.count);
#include "installer/actions/ByteSource.h"
#include "installer/actions/OwnImageFile.h"

#include <cstdint>
#include <vector>

class ResourceReader : public ByteSource {
public:
    static constexpr size_t DefaultPieceSize = 0x10000;

    // Finds the resource with LoadBinaryResource (and its errors, "FindResourceA() failed: ...")
    // and where it lies in file. Readers of one file keep their own positions.
    ResourceReader(const OwnImageFile& file, unsigned id, const char* type, size_t pieceSize = DefaultPieceSize);

    uint32_t Size() const { return m_size; }
    // The next at most pieceSize bytes of the resource, valid until the next call; an empty
    // piece after the last byte. A failed read is "ReadFile() failed: ...".
    BytePiece Next() override;

private:
    const OwnImageFile& m_file;
    uint32_t m_offset = 0;
    uint32_t m_size = 0;
    uint32_t m_left = 0;
    std::vector<uint8_t> m_buffer;
};
