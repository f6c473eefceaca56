#pragma once
// A stream of bytes handed out in pieces, so that a consumer never needs the whole of it
// in memory: the package and uninstaller streams are read from the installer's file this
// way, and tests and tools hand over a block they hold.
#include <cstddef>
#include <cstdint>

struct BytePiece {
    const uint8_t* bytes;
    size_t count;
};

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The next bytes, valid until the next call; an empty piece once the stream has ended.
    // Failures are exceptions with finished texts.
    virtual BytePiece Next() = 0;
};

// A block in memory, handed out in pieces of at most maxPiece bytes.
class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size, size_t maxPiece = SIZE_MAX)
        : m_data(data), m_left(size), m_maxPiece(maxPiece) {}
    BytePiece Next() override {
        BytePiece piece{m_data, m_left < m_maxPiece ? m_left : m_maxPiece};
        m_data += piece.count;
        m_left -= piece.count;
        return piece;
    }

private:
    const uint8_t* m_data;
    size_t m_left;
    size_t m_maxPiece;
};
