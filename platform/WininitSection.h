#pragma once
// The "Rename" section of WININIT.INI as the profile functions exchange it: one block of
// zero-terminated "key=value" entries ending with an empty entry, held in a working buffer
// of BufferSize bytes. Pure buffer work; the Windows side reads and writes the file.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class WininitSection {
public:
    static constexpr std::size_t BufferSize = 32767;
    static constexpr uint32_t ErrorBufferOverflow = 111;  // ERROR_BUFFER_OVERFLOW
    using EqualFn = std::function<bool(const std::string& a, const std::string& b)>;

    // The line that deletes a file at restart; 9x wants the short (8.3) form of the path.
    static std::string DeletionEntry(const std::string& shortPath) { return "NUL=" + shortPath; }

    // data holds what GetPrivateProfileSectionA copied into a BufferSize buffer and length
    // is its result (0 for a missing or empty section).
    WininitSection(const char* data, std::size_t length);

    const std::vector<std::string>& Entries() const { return m_entries; }

    // A section that filled the buffer came back cut short (the profile functions then
    // report BufferSize - 2); written back it would lose its tail.
    bool MaybeTruncated() const { return m_length >= BufferSize - 2; }

    // Bytes before the terminating empty entry.
    std::size_t Used() const;

    bool Contains(const std::string& entry, const EqualFn& equal) const;

    // Adds the entry at the end. Returns false, leaving the section as it was, when the
    // entry, its terminator and the final empty entry would not fit in the buffer.
    bool Append(const std::string& entry);

    // Drops every entry equal to entry; returns whether any was dropped.
    bool Drop(const std::string& entry, const EqualFn& equal);

    // The block to write back: each entry and its zero, then the empty entry; a section
    // without entries is two zero bytes.
    std::vector<char> Block() const;

private:
    std::size_t m_length;
    std::vector<std::string> m_entries;
};
