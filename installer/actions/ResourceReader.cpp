#include "installer/actions/ResourceReader.h"

#include "NoCrtLib/InstallError.h"
#include "installer/actions/ResourceLoader.h"

#include <windows.h>

#include <algorithm>
#include <string>

ResourceReader::ResourceReader(const OwnImageFile& file, unsigned id, const char* type, size_t pieceSize)
    : m_file(file) {
    // LoadResource and LockResource only compute where the resource lies in the image;
    // none of its pages is touched.
    ResourceBytes loaded = LoadBinaryResource(id, type);
    const auto* image = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
    const auto rva = static_cast<uint32_t>(loaded.data - image);
    m_size = m_left = static_cast<uint32_t>(loaded.size);
    const auto offset = file.Offset(rva, m_size);
    if (!offset)
        throw InstallError("ResourceReader: resource " + std::to_string(id) + " is not in the sections of '" +
                           file.PathText() + "'");
    m_offset = *offset;
    m_buffer.resize(std::min<size_t>(pieceSize, m_size));
}

BytePiece ResourceReader::Next() {
    const auto count = static_cast<uint32_t>(std::min<size_t>(m_left, m_buffer.size()));
    if (count == 0) return {nullptr, 0};
    m_file.Read(m_offset, m_buffer.data(), count);
    m_offset += count;
    m_left -= count;
    return {m_buffer.data(), count};
}
