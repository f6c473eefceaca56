#include "tools/PackageStreamWriter.h"

#include <algorithm>

void PackageStreamWriter::Message(uint8_t type, const uint8_t* payload, uint32_t length) {
    m_stream.push_back(type);
    for (int shift = 8 * (LengthBytes - 1); shift >= 0; shift -= 8)
        m_stream.push_back(static_cast<uint8_t>(length >> shift));
    m_stream.insert(m_stream.end(), payload, payload + length);
}

void PackageStreamWriter::AddFile(const std::string& name, uint8_t platformMask, bool uninstaller,
                                  const uint8_t* data, size_t size) {
    Message(FileNameMsg, reinterpret_cast<const uint8_t*>(name.data()), static_cast<uint32_t>(name.size()));
    if (uninstaller) Message(UninstallerMsg, nullptr, 0);
    if (platformMask != AllPlatforms) Message(PlatformMaskMsg, &platformMask, 1);
    // One data message per file; only a file beyond the 32-bit length needs more.
    size_t done = 0;
    do {
        uint32_t n = static_cast<uint32_t>(std::min<size_t>(size - done, 0xFFFFFFFFu));
        Message(FileDataMsg, data + done, n);
        done += n;
    } while (done < size);
}
