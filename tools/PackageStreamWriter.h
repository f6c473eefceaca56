#pragma once
// Writes the decoded package stream: for every file a group of header messages (its name,
// the uninstaller flag when set, its platform mask when not both) followed by its data.
// Each group starts with the name, so no name carries over from the file before.
#include "NoCrtLib/PackageWireFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class PackageStreamWriter : public PackageWireFormat {
public:

    void AddFile(const std::string& name, uint8_t platformMask, bool uninstaller, const uint8_t* data, size_t size);
    void AddFile(const std::string& name, uint8_t platformMask, bool uninstaller, const std::vector<uint8_t>& data) {
        AddFile(name, platformMask, uninstaller, data.data(), data.size());
    }
    const std::vector<uint8_t>& Stream() const { return m_stream; }

private:
    void Message(uint8_t type, const uint8_t* payload, uint32_t length);

    std::vector<uint8_t> m_stream;
};
